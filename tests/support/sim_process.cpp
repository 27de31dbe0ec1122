#include "tests/support/sim_process.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace fs = std::filesystem;

namespace luvaro::test {
namespace {

ProcessOptions SimOptions(const fs::path& dir, const std::string& role,
                          const std::vector<std::string>& args) {
  ProcessOptions options;
  options.args = {role, "--output", (dir / "requests").string(), "--control",
                  (dir / "control").string()};
  options.args.insert(options.args.end(), args.begin(), args.end());
  return options;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

RecordedRequest ReadRecording(const fs::path& folder) {
  RecordedRequest request;
  request.name = folder.filename().string();
  const auto firstDash = request.name.find('-');
  const auto secondDash = request.name.find('-', firstDash + 1);
  request.endpoint = request.name.substr(secondDash + 1);

  const std::string head = ReadFile(folder / "request.txt");
  size_t start = 0;
  bool first = true;
  while (start < head.size()) {
    size_t end = head.find('\n', start);
    if (end == std::string::npos) end = head.size();
    const std::string line = head.substr(start, end - start);
    start = end + 1;
    if (first) {
      first = false;
      const auto blank = line.find(' ');
      request.method = line.substr(0, blank);
      request.target = line.substr(blank + 1, line.rfind(' ') - blank - 1);
    } else if (const auto colon = line.find(": "); colon != std::string::npos) {
      request.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
  }
  request.body = ReadFile(folder / "body");
  if (fs::exists(folder / "tls.txt")) {
    const std::string facts = ReadFile(folder / "tls.txt");
    for (size_t begin = 0; begin < facts.size();) {
      size_t end = facts.find('\n', begin);
      if (end == std::string::npos) end = facts.size();
      const std::string line = facts.substr(begin, end - begin);
      begin = end + 1;
      if (const auto colon = line.find(": "); colon != std::string::npos)
        request.tls.emplace(line.substr(0, colon), line.substr(colon + 2));
    }
  }
  return request;
}

}  // namespace

std::string RecordedRequest::Header(std::string_view headerName) const {
  for (const auto& [header, value] : headers)
    if (SameLetters(header, headerName)) return value;
  return {};
}

SimProcess::SimProcess(const fs::path& program, const std::string& role,
                       const std::vector<std::string>& args)
    : m_dir("luvaro-sim"), m_process(program, SimOptions(m_dir.path(), role, args)) {
  m_baseUrl = m_process.ReadLine();
  if (!m_baseUrl.starts_with("http"))
    throw std::runtime_error("luvaro-sim did not print its base URL: " + m_baseUrl + "\n" +
                             m_process.StdErr());
}

void SimProcess::SetFaults(std::string_view controlText) {
  // Written aside and renamed, so the simulator never reads half a file.
  WriteFile(m_dir / "control.new", controlText);
  fs::rename(m_dir / "control.new", m_dir / "control");
}

void SimProcess::ClearFaults() {
  fs::remove(m_dir / "control");
}

std::vector<RecordedRequest> SimProcess::Requests() const {
  std::vector<fs::path> folders;
  if (fs::exists(m_dir / "requests"))
    for (const auto& entry : fs::directory_iterator(m_dir / "requests"))
      if (entry.is_directory() && entry.path().filename().string().front() != '.')
        folders.push_back(entry.path());
  std::sort(folders.begin(), folders.end());
  std::vector<RecordedRequest> requests;
  for (const auto& folder : folders) requests.push_back(ReadRecording(folder));
  return requests;
}

}  // namespace luvaro::test
