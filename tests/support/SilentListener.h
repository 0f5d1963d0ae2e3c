#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A listener that takes connections into its backlog but never says a word.
class SilentListener {
public:
  SilentListener() {
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), len) != 0 ||
        ::listen(m_fd, 4) != 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len) != 0)
      return;
    m_port = ntohs(a.sin_port);
  }
  ~SilentListener() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  SilentListener(const SilentListener &) = delete;
  SilentListener &operator=(const SilentListener &) = delete;
  [[nodiscard]] int port() const { return m_port; }

private:
  int m_fd = -1;
  int m_port = 0;
};
