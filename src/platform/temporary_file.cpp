#include "platform/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vorlix::platform {

namespace {

[[noreturn]] void RaiseErrno(int error) {
  throw std::system_error(error, std::generic_category());
}

// Moves `size` bytes between `p` and the file at `position` with `call` (pread or pwrite), in as
// many calls as it takes; a call that moves nothing is an error.
template <class Byte, class Call>
void TransferAll(Byte* p, size_t size, uint64_t position, Call call) {
  while (size > 0) {
    const ssize_t n = call(p, size, static_cast<off_t>(position));
    if (n <= 0) RaiseErrno(n < 0 ? errno : EIO);
    position += static_cast<uint64_t>(n);
    p += n;
    size -= static_cast<size_t>(n);
  }
}

}  // namespace

ScratchFile::ScratchFile() : file_(std::tmpfile()) {
  if (file_ == nullptr) RaiseErrno(errno);
  fd_ = ::fileno(file_);
}

ScratchFile::~ScratchFile() {
  std::fclose(file_);
}

void ScratchFile::WriteAt(uint64_t position, const void* data, size_t size) {
  TransferAll(static_cast<const char*>(data), size, position,
              [this](const char* p, size_t n, off_t at) { return ::pwrite(fd_, p, n, at); });
}

void ScratchFile::ReadAt(uint64_t position, void* data, size_t size) const {
  TransferAll(static_cast<char*>(data), size, position,
              [this](char* p, size_t n, off_t at) { return ::pread(fd_, p, n, at); });
}

std::string ScratchFile::Folder() {
  return P_tmpdir;
}

NamedTemporaryFile::NamedTemporaryFile(const std::string& prefix, const std::string& suffix) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / (prefix + "XXXXXX" + suffix)).string();
  const int fd = ::mkostemps(pattern.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
  if (fd < 0) RaiseErrno(errno);
  ::close(fd);
  path_ = pattern;
  cleanup_.emplace(path_);
}

NamedTemporaryFile::~NamedTemporaryFile() {
  ::unlink(path_.c_str());
}

uint64_t StreamFileSize(std::FILE* file) {
  struct stat status {};
  if (file == nullptr || std::fflush(file) != 0 || ::fstat(::fileno(file), &status) != 0) return 0;
  return static_cast<uint64_t>(status.st_size);
}

}  // namespace vorlix::platform
