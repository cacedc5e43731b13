#include "platform/system_info.h"

#include <unistd.h>

#include <climits>

namespace vorlix::platform {

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string full(path, static_cast<size_t>(n));
  const auto slash = full.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return full.substr(0, slash);
}

OsVersion QueryOsVersion() {
  return OsVersion{2, 10, 0};
}

}  // namespace vorlix::platform
