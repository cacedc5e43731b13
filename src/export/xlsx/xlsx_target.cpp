#include "export/xlsx/xlsx_target.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "export/morvat_messages.h"

namespace vorlix::exporter::xlsx {

namespace {

[[noreturn]] void RaiseCreate(const std::string& fileName, const std::string& reason) {
  throw EMorvatError("Cannot create file \"" + fileName + "\". " + reason);
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// Mode bits a new file gets: 0666 less the process's umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

TXlsxTarget::TXlsxTarget(const std::string& fileName) : fileName_(fileName), target_(fileName) {
  std::error_code error;
  if (std::filesystem::is_symlink(fileName, error)) {
    const auto resolved = std::filesystem::weakly_canonical(fileName, error);
    if (!error) target_ = resolved.string();
  }
  mode_t mode = NewFileMode();
  // An existing target is opened for writing, so that a file this user may not write is
  // refused as before, and locked, so that a file another program holds is left alone.
  targetFd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (targetFd_ >= 0) {
    struct stat status {};
    if (::fstat(targetFd_, &status) != 0 || !S_ISREG(status.st_mode)) {
      ::close(targetFd_);
      targetFd_ = -1;
      RaiseCreate(fileName, "It is not a regular file");
    }
    mode = status.st_mode & 07777;
    if (::flock(targetFd_, LOCK_EX | LOCK_NB) != 0) {
      const int reason = errno;
      ::close(targetFd_);
      targetFd_ = -1;
      RaiseCreate(fileName, reason == EWOULDBLOCK ? "The file is in use by another program"
                                                  : std::strerror(reason));
    }
  } else if (errno != ENOENT) {
    RaiseCreate(fileName, std::strerror(errno));
  }

  const std::string base = std::filesystem::path(target_).filename().string();
  std::string pattern = FolderOf(target_) + "/." + base + ".XXXXXX.tmp";
  temporaryFd_ = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
  if (temporaryFd_ < 0) {
    const int reason = errno;
    if (targetFd_ >= 0) ::close(targetFd_);
    targetFd_ = -1;
    RaiseCreate(fileName, std::strerror(reason));
  }
  temporary_ = pattern;
  ::fchmod(temporaryFd_, mode);
}

TXlsxTarget::~TXlsxTarget() {
  if (!committed_) Discard();
}

void TXlsxTarget::Discard() noexcept {
  if (temporaryFd_ >= 0) ::close(temporaryFd_);
  temporaryFd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  if (targetFd_ >= 0) ::close(targetFd_);
  targetFd_ = -1;
}

void TXlsxTarget::Commit() {
  auto fail = [this](int reason) {
    Discard();
    throw EMorvatError("Error writing output file \"" + fileName_ + "\": " + std::strerror(reason));
  };
  // The library wrote the file by its name; this descriptor is the same file.
  if (::fsync(temporaryFd_) != 0) fail(errno);
  const int closed = ::close(temporaryFd_);
  temporaryFd_ = -1;
  if (closed != 0) fail(errno);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
  committed_ = true;
  if (targetFd_ >= 0) ::close(targetFd_);
  targetFd_ = -1;
  // The rename itself lasts once the folder is written out.
  const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

}  // namespace vorlix::exporter::xlsx
