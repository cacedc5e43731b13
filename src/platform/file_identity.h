#pragma once
// Whether two names lead to the same file, as the file system knows it (device and inode): another
// spelling, a symbolic link, a hard link or /dev/stdout redirected to it all count as the file.

#include <string>

namespace vorlix::platform {

// True when both names exist and are the same file; false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace vorlix::platform
