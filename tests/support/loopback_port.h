#pragma once

#include <chrono>
#include <string>

namespace luvaro::test {

// A loopback TCP port that listens and answers nothing by itself: a stand-in for a server that
// a test (or a benchmark) drives by hand, or that keeps a client waiting.
class ListeningPort {
 public:
  ListeningPort();  // throws std::runtime_error when no port can be had
  ~ListeningPort();
  ListeningPort(const ListeningPort&) = delete;  // one owner closes the socket
  ListeningPort& operator=(const ListeningPort&) = delete;

  int Port() const { return m_port; }
  // "http://127.0.0.1:<port>", without a path.
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port); }

  // Waits up to `limit` for the next client: its socket, which the caller closes; -1 when none
  // came.
  int Accept(std::chrono::milliseconds limit);

 private:
  int m_fd = -1;
  int m_port = 0;
};

}  // namespace luvaro::test
