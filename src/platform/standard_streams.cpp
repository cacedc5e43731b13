#include "platform/standard_streams.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vorlix::platform {

namespace {

// Where /proc is missing, descriptors up to this number are looked at one by one.
constexpr int kProbedDescriptors = 1024;

bool g_noted = false;
std::vector<int> g_openAtStart;  // sorted

bool IsOpen(int fd) {
  return ::fcntl(fd, F_GETFD) != -1;
}

// The descriptors open now, from /proc/self/fd (without the one that reads the folder).
std::vector<int> OpenDescriptors() {
  std::vector<int> open;
  if (DIR* folder = ::opendir("/proc/self/fd")) {
    const int own = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      const int fd = std::atoi(entry->d_name);
      if (fd != own) open.push_back(fd);
    }
    ::closedir(folder);
    return open;
  }
  for (int fd = 0; fd < kProbedDescriptors; ++fd)
    if (IsOpen(fd)) open.push_back(fd);
  return open;
}

}  // namespace

void SecureStandardStreams() {
  // Noted before /dev/null fills the gaps: a standard stream opened here was closed.
  std::vector<int> open = OpenDescriptors();
  std::sort(open.begin(), open.end());
  for (int fd = 0; fd <= 2; ++fd) {
    if (IsOpen(fd)) continue;
    // The lowest free number is taken, which is fd itself: the lower ones are open by now.
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  g_openAtStart = std::move(open);
  g_noted = true;
}

bool OpenAtStart(int fd) {
  return !g_noted || std::binary_search(g_openAtStart.begin(), g_openAtStart.end(), fd);
}

}  // namespace vorlix::platform
