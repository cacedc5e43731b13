#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

namespace vorlix::platform {

namespace {

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kKilobyte = 1024;

// Closes a descriptor on every path.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

RegularFileText Failed(RegularFileText::Status status, std::string reason) {
  RegularFileText result;
  result.status = status;
  result.reason = std::move(reason);
  return result;
}

RegularFileText TooLarge(std::size_t maxBytes) {
  return Failed(RegularFileText::kRefused,
                "cannot read the file: it is larger than " + DescribeSize(maxBytes));
}

}  // namespace

std::string DescribeFileType(unsigned mode) {
  switch (mode & S_IFMT) {
    case S_IFDIR:
      return "a folder";
    case S_IFCHR:
      return "a character device";
    case S_IFBLK:
      return "a block device";
    case S_IFIFO:
      return "a FIFO (named pipe)";
    case S_IFSOCK:
      return "a socket";
    case S_IFREG:
      return "a regular file";
    default:
      return "not a regular file";
  }
}

std::string DescribeSize(std::size_t bytes) {
  if (bytes >= kKilobyte * kKilobyte && bytes % (kKilobyte * kKilobyte) == 0)
    return std::to_string(bytes / (kKilobyte * kKilobyte)) + " MB";
  if (bytes >= kKilobyte && bytes % kKilobyte == 0)
    return std::to_string(bytes / kKilobyte) + " KB";
  return std::to_string(bytes) + " bytes";
}

RegularFileText ReadSmallFile(const std::string& path, std::size_t maxBytes, Pipes pipes) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then tells what was opened.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int error = errno;
    return Failed(error == ENOENT ? RegularFileText::kMissing : RegularFileText::kRefused,
                  std::string("cannot open the file: ") + std::strerror(error));
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    return Failed(RegularFileText::kRefused,
                  std::string("cannot open the file: ") + std::strerror(errno));
  }
  const bool pipe = S_ISFIFO(info.st_mode) && pipes == Pipes::kRead;
  if (!S_ISREG(info.st_mode) && !pipe) {
    const std::string type = DescribeFileType(info.st_mode);
    return Failed(RegularFileText::kRefused, "cannot open the file: it is " + type +
                                                 (S_ISDIR(info.st_mode) ? "" : ", not a file"));
  }
  if (S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) > maxBytes)
    return TooLarge(maxBytes);
  // Blocking reads from here: a regular file never waits, and a pipe is read until its writer
  // has written everything.
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);

  RegularFileText result;
  try {
    if (S_ISREG(info.st_mode)) result.text.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
      const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        return Failed(RegularFileText::kRefused,
                      std::string("cannot read the file: ") + std::strerror(errno));
      }
      // A file that grows while it is read, or a pipe, meets the limit here.
      if (static_cast<std::size_t>(n) > maxBytes - result.text.size()) return TooLarge(maxBytes);
      result.text.append(chunk, static_cast<size_t>(n));
    }
  } catch (const std::bad_alloc&) {
    return Failed(RegularFileText::kRefused,
                  "cannot read the file: it is too large to hold in memory (" +
                      std::to_string(info.st_size) + " bytes)");
  }
  result.status = RegularFileText::kRead;
  return result;
}

RegularFileText ReadRegularFile(const std::string& path) {
  return ReadSmallFile(path, kNoLimit, Pipes::kRefused);
}

}  // namespace vorlix::platform
