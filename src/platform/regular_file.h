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

// A regular file read in parts, for a file too large to be held whole: refused as
// ReadRegularFile refuses it.
class RegularFileReader {
 public:
  explicit RegularFileReader(const std::string& path);
  ~RegularFileReader();
  RegularFileReader(const RegularFileReader&) = delete;
  RegularFileReader& operator=(const RegularFileReader&) = delete;

  // kRead while the file reads; else reason() says why it was not opened or a read failed.
  RegularFileText::Status status() const { return status_; }
  const std::string& reason() const { return reason_; }
  // Reads at most `most` bytes into data: the count, 0 at the end of the file or on a failure
  // (status() then says which). The file is closed at either.
  std::size_t Read(char* data, std::size_t most);
  // Starts again at the beginning of the file; false when it is closed or cannot seek.
  bool Rewind();

 private:
  int fd_ = -1;
  RegularFileText::Status status_ = RegularFileText::kRefused;
  std::string reason_;
};

// What kind of file system object mode is, for messages: "a folder", "a character device", ...
std::string DescribeFileType(unsigned mode);

// "64 KB", "1 MB", "100 bytes": a limit as messages give it.
std::string DescribeSize(std::size_t bytes);

}  // namespace vorlix::platform
