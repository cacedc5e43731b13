#pragma once
// A listening socket on 127.0.0.1 for the tests' stand-in servers.

#include <netinet/in.h>
#include <sys/socket.h>

namespace vorlix::testing {

// A socket listening on 127.0.0.1 at a free port, which port tells.
inline int ListenOnLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 16);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace vorlix::testing
