#pragma once
// Reading a whole file that the user named as input (a tree file, a configuration file). Only a
// regular file is read: a folder, a device, a FIFO or a socket is refused by what it is, before
// a single byte is read, so that a FIFO cannot block and a device cannot fill the memory.

#include <string>

namespace vorlix::platform {

struct RegularFileText {
  enum Status { kRead, kMissing, kRefused };
  Status status = kRefused;
  std::string text;    // the whole file when status is kRead
  std::string reason;  // why it was not read: "cannot open the file: ...", "... it is a FIFO ..."
};

RegularFileText ReadRegularFile(const std::string& path);

// What kind of file system object mode is, for messages: "a folder", "a character device", ...
std::string DescribeFileType(unsigned mode);

}  // namespace vorlix::platform
