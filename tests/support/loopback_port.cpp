#include "tests/support/loopback_port.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace luvaro::test {

ListeningPort::ListeningPort() : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(m_fd, 8) != 0 ||
      getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (m_fd >= 0) close(m_fd);
    throw std::runtime_error("cannot listen on a loopback port");
  }
  m_port = ntohs(address.sin_port);
}

ListeningPort::~ListeningPort() {
  close(m_fd);
}

int ListeningPort::Accept(std::chrono::milliseconds limit) {
  pollfd waiting{m_fd, POLLIN, 0};
  if (poll(&waiting, 1, static_cast<int>(limit.count())) != 1) return -1;
  return accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

}  // namespace luvaro::test
