#pragma once
// Ends a connection attempt that outlasts its time: libldap bounds the TCP connect, but a server
// that accepts and then never answers would hold the TLS handshake forever. Once the limit has
// passed, the socket is shut down, which makes the handshake fail.

#include <ldap.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vorlix::directory {

class HandshakeWatchdog {
 public:
  explicit HandshakeWatchdog(std::chrono::seconds limit);
  ~HandshakeWatchdog();
  HandshakeWatchdog(const HandshakeWatchdog&) = delete;
  HandshakeWatchdog& operator=(const HandshakeWatchdog&) = delete;

  // The socket to shut down; a duplicate is kept, so the number stays ours whatever libldap does.
  void Watch(int fd);
  bool Fired();

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool fired_ = false;
  int fd_ = -1;
  std::thread thread_;  // last: it starts once the rest is made
};

// libldap's connection callbacks; lc_arg points at the HandshakeWatchdog* that watches, if any.
// A new connection's socket is handed to the watchdog.
int OnConnected(LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb* callbacks);
void OnClosed(LDAP*, Sockbuf*, ldap_conncb*);

}  // namespace vorlix::directory
