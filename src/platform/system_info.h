#pragma once
// Facts about the running program and operating system.

#include <string>

namespace vorlix::platform {

// Directory of the running executable, without a trailing separator.
std::string ExecutableDirectory();

// The operating system's version record. platformId 2 is the NT family.
struct OsVersion {
  int platformId = 2;
  int major = 0;
  int minor = 0;
};

// On Windows the real record; elsewhere a record of the NT family with major 10, minor 0,
// which never gives the narrow-caption layout.
OsVersion QueryOsVersion();

}  // namespace vorlix::platform
