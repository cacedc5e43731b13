#include "platform/temporary_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vorlix::platform {

namespace {

[[noreturn]] void RaiseErrno(int error) {
  throw std::system_error(error, std::generic_category());
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
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(position));
    if (n <= 0) RaiseErrno(n < 0 ? errno : EIO);
    position += static_cast<uint64_t>(n);
    p += n;
    size -= static_cast<size_t>(n);
  }
}

void ScratchFile::ReadAt(uint64_t position, void* data, size_t size) const {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(position));
    if (n <= 0) RaiseErrno(n < 0 ? errno : EIO);
    position += static_cast<uint64_t>(n);
    p += n;
    size -= static_cast<size_t>(n);
  }
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

}  // namespace vorlix::platform
