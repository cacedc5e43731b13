#pragma once
// The LDAP client as the tests start it, and the sockets of the tests' stand-in servers.

#include <netinet/in.h>
#include <sys/socket.h>

#include <string>
#include <utility>

#include "directory/directory_layer.h"
#include "directory/ldap_client.h"

namespace vorlix::directory {

inline DirectorySource Source(const std::string& url) {
  DirectorySource source;
  source.source = url;
  return source;
}

// A started client with an open typeless context.
struct Opened {
  explicit Opened(DirectorySource source) : client(std::move(source)) {
    started = client.calStartup(0, 0) == kOk;
    if (started) context = OpenDirectoryContext(client, false, false).context;
  }
  explicit Opened(const std::string& url) : Opened(Source(url)) {}
  ~Opened() {
    if (context != kNoContext) client.dsCloseContext(context);
    client.calShutdown(0);
  }
  LdapClient client;
  bool started = false;
  Context context = kNoContext;
};

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

}  // namespace vorlix::directory
