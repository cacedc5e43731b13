#pragma once
// Reading a whole file that the user named as input (a tree file, a configuration file, a
// password file). A folder, a device or a socket is refused by what it is, before a single byte
// is read, so that a device cannot fill the memory; a FIFO is refused too, unless the caller takes
// pipes (a password handed over by the shell's process substitution). A small file is read with a
// size limit, and refused beyond it.

#include <cstddef>
#include <string>

namespace vorlix::platform {

struct RegularFileText {
  enum Status { kRead, kMissing, kRefused };
  Status status = kRefused;
  std::string text;    // the whole file when status is kRead
  std::string reason;  // why it was not read: "cannot open the file: ...", "... it is a FIFO ..."
};

// Whether a FIFO (a named pipe, or the pipe behind /dev/fd/N) is read like a file.
enum class Pipes { kRefused, kRead };

// Reads at most maxBytes: a longer file is refused ("it is larger than 64 KB"). A pipe is read
// until its writer closes it.
RegularFileText ReadSmallFile(const std::string& path, std::size_t maxBytes, Pipes pipes);

// A regular file of any size that fits the memory.
RegularFileText ReadRegularFile(const std::string& path);

// What kind of file system object mode is, for messages: "a folder", "a character device", ...
std::string DescribeFileType(unsigned mode);

// "64 KB", "1 MB", "100 bytes": a limit as messages give it.
std::string DescribeSize(std::size_t bytes);

}  // namespace vorlix::platform
