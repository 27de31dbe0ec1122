#include "tools/sim/recorder.h"

#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "tools/sim/tls.h"

namespace fs = std::filesystem;

namespace luvaro::sim {
namespace {

void WriteWhole(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// The HTTP library files the peer's and its own address among the request headers.
bool IsAddedByServer(const std::string& header) {
  return header == "REMOTE_ADDR" || header == "REMOTE_PORT" || header == "LOCAL_ADDR" ||
         header == "LOCAL_PORT";
}

}  // namespace

Recorder::Recorder(std::optional<fs::path> folder) : m_folder(std::move(folder)) {
  if (m_folder) fs::create_directories(*m_folder);
}

void Recorder::Record(std::string_view endpoint, const httplib::Request& request) {
  if (!m_folder) return;
  char number[16];
  std::snprintf(number, sizeof number, "%04d", ++m_count);
  const std::string name = std::string(number) + "-" + request.method + "-" + std::string(endpoint);
  const fs::path partial = *m_folder / ("." + name + ".partial");
  fs::create_directories(partial);

  std::string head = request.method + " " + request.target + " " + request.version + "\n";
  for (const auto& [header, value] : request.headers)
    if (!IsAddedByServer(header)) head += header + ": " + value + "\n";
  WriteWhole(partial / "request.txt", head);
  WriteWhole(partial / "body", request.body);
  if (request.ssl != nullptr)
    WriteWhole(partial / "tls.txt", DescribeTls(request.ssl, request.remote_port));
  fs::rename(partial, *m_folder / name);
}

}  // namespace luvaro::sim
