#include "export/morvat_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "export/morvat_messages.h"

namespace vorlix::exporter {

namespace {
constexpr size_t kBufferSize = 64 * 1024;

[[noreturn]] void RaiseCreate(const std::string& fileName, int error) {
  throw EMorvatError("Cannot create file \"" + fileName + "\". " + std::strerror(error));
}
}  // namespace

int CreateLockedFile(const std::string& fileName) {
  // Opened without truncation first, so that a file another writer holds is left intact.
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) RaiseCreate(fileName, errno);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    RaiseCreate(fileName, error);
  }
  return fd;
}

TMorvatFileStream::TMorvatFileStream(const std::string& fileName)
    : fileName_(fileName), fd_(CreateLockedFile(fileName)) {
  buffer_.resize(kBufferSize);
}

TMorvatFileStream::~TMorvatFileStream() {
  if (fd_ < 0) return;
  try {
    Flush();
  } catch (...) {
    // Destruction never raises; Close reports write errors.
  }
  ::close(fd_);
}

void TMorvatFileStream::WriteOut(const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EMorvatError("Error writing output file \"" + fileName_ +
                         "\": " + std::strerror(errno));
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void TMorvatFileStream::Write(const char* data, size_t size) {
  if (fd_ < 0) throw EMorvatError("Error writing output file \"" + fileName_ + "\": file closed");
  if (size == 0) return;
  position_ += size;
  if (used_ + size > buffer_.size()) {
    Flush();
    if (size >= buffer_.size()) {
      WriteOut(data, size);
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
}

void TMorvatFileStream::Flush() {
  if (fd_ < 0 || used_ == 0) return;
  size_t used = used_;
  used_ = 0;
  WriteOut(buffer_.data(), used);
}

void TMorvatFileStream::Close() {
  if (fd_ < 0) return;
  int fd = fd_;
  try {
    Flush();
  } catch (...) {
    fd_ = -1;
    ::close(fd);
    throw;
  }
  fd_ = -1;
  if (::close(fd) != 0)
    throw EMorvatError("Error writing output file \"" + fileName_ + "\": " + std::strerror(errno));
}

}  // namespace vorlix::exporter
