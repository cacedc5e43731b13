#include "platform/thread_reads.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

namespace vorlix::platform {

ThreadReadCounter::~ThreadReadCounter() {
  const int fd = fd_.exchange(-1);
  if (fd >= 0) ::close(fd);
}

void ThreadReadCounter::WatchThisThread() {
  const int fd = ::open("/proc/thread-self/io", O_RDONLY | O_CLOEXEC);
  const int old = fd_.exchange(fd);
  if (old >= 0) ::close(old);
}

std::optional<uint64_t> ThreadReadCounter::BytesRead() const {
  const int fd = fd_.load();
  if (fd < 0) return std::nullopt;
  char text[512];
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return std::nullopt;
  text[n] = '\0';
  // The first line: "rchar: <bytes read by read(2) and its kin>".
  unsigned long long bytes = 0;
  if (std::sscanf(text, "rchar: %llu", &bytes) != 1) return std::nullopt;
  return bytes;
}

}  // namespace vorlix::platform
