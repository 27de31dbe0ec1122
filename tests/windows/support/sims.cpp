#include "tests/windows/support/sims.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/temp_dir.h"

namespace luvaro::test {

std::filesystem::path SimDir(const std::string& name) {
  const char* dir = std::getenv("LUVARO_TEST_SIMS");
  if (dir == nullptr || *dir == '\0') throw std::runtime_error("LUVARO_TEST_SIMS is not set");
  return std::filesystem::path(dir) / ("test-sim-" + name);
}

std::string SimUrl(const std::string& name) {
  std::string url = ReadFile(SimDir(name) / "url");
  while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
  const std::string ip = "127.0.0.1";
  if (const auto at = url.find(ip); at != std::string::npos) url.replace(at, ip.size(), "localhost");
  return url;
}

std::vector<std::filesystem::path> SimRequests(const std::string& name) {
  std::vector<std::filesystem::path> folders;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(SimDir(name) / "requests", ec))
    folders.push_back(entry.path());
  std::sort(folders.begin(), folders.end());
  return folders;
}

}  // namespace luvaro::test
