#pragma once

#include <atomic>
#include <filesystem>
#include <optional>
#include <string_view>

namespace httplib {
struct Request;
}

namespace luvaro::sim {

// Keeps every request a simulator receives in an output folder, one sub-folder per request:
//   <output>/<NNNN>-<METHOD>-<endpoint>/request.txt   request line, then "Name: value" headers
//   <output>/<NNNN>-<METHOD>-<endpoint>/body          the body bytes exactly as received
// NNNN counts from 0001 in arrival order. A request's folder appears whole (written under a
// temporary name, then renamed) before the reply is sent, so a client that has its reply can
// read what the simulator received.
class Recorder {
 public:
  explicit Recorder(std::optional<std::filesystem::path> folder);

  // Stores one request; nothing happens without an output folder.
  void Record(std::string_view endpoint, const httplib::Request& request);

 private:
  std::optional<std::filesystem::path> m_folder;
  std::atomic<int> m_count{0};
};

}  // namespace luvaro::sim
