#include "directory/handshake_watchdog.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorlix::directory {

HandshakeWatchdog::HandshakeWatchdog(std::chrono::seconds limit)
    : thread_([this, limit] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, limit, [this] { return done_; })) return;
        if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
        fired_ = true;
      }) {}

HandshakeWatchdog::~HandshakeWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  wake_.notify_all();
  thread_.join();
  if (fd_ >= 0) close(fd_);
}

void HandshakeWatchdog::Watch(int fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fd_ < 0) fd_ = fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

bool HandshakeWatchdog::Fired() {
  std::lock_guard<std::mutex> lock(mutex_);
  return fired_;
}

int OnConnected(LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb* callbacks) {
  auto* watchdog = *static_cast<HandshakeWatchdog**>(callbacks->lc_arg);
  int fd = -1;
  if (watchdog != nullptr && ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1 && fd >= 0) {
    watchdog->Watch(fd);
  }
  return 0;
}

void OnClosed(LDAP*, Sockbuf*, ldap_conncb*) {}

}  // namespace vorlix::directory
