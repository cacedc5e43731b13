#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/file_metadata.h"
#include "platform/standard_streams.h"

namespace vorlix::platform {

namespace {

constexpr char kInUse[] = "It is in use by another program";
constexpr int kMaxLinks = 40;       // as many as the kernel follows
constexpr int kNameAttempts = 100;  // temporary names tried before giving up
constexpr long kDefaultNameMax = 255;
constexpr char kTemporaryEnd[] = ".tmp";

[[noreturn]] void RaiseCreate(const std::string& fileName, const std::string& reason) {
  throw OutputFileError("Cannot create file \"" + fileName + "\". " + reason);
}

[[noreturn]] void RaiseCreateErrno(const std::string& fileName, int error) {
  RaiseCreate(fileName, std::strerror(error));
}

// Follows a chain of symbolic links that ends at a name that does not exist yet, so that the
// file is created where the link points. A name that is no link comes back unchanged.
std::string FollowDanglingLinks(std::string path) {
  namespace fs = std::filesystem;
  for (int i = 0; i < kMaxLinks; ++i) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
    const fs::path link = fs::read_symlink(path, error);
    if (error) return path;
    path = link.is_absolute() ? link.string() : (fs::path(path).parent_path() / link).string();
  }
  return path;
}

// Whether a descriptor of the target holds a lock that another writer set: an flock(2) lock,
// or a POSIX record lock anywhere in the file. Takes both kinds for this writer otherwise.
bool LockedByAnother(int fd) {
  // A file system without flock(2) support still has its record locks looked at.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return true;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file, however long it grows
  if (::fcntl(fd, F_SETLK, &lock) != 0) return errno == EACCES || errno == EAGAIN;
  return false;
}

std::string RandomSuffix() {
  unsigned char bytes[6];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy yet: the clock and the address of a local differ between calls enough.
    const auto seed = static_cast<unsigned long long>(::clock()) ^
                      reinterpret_cast<unsigned long long>(&bytes) ^ ::getpid();
    for (size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(seed >> (8 * i));
  }
  static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix;
  for (unsigned char b : bytes) suffix += kDigits[b % 36];
  return suffix;
}

// The longest name the folder takes.
long NameMax(const std::string& folder) {
  const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return max > 0 ? max : kDefaultNameMax;
}

}  // namespace

std::string TemporaryFileName(const std::string& name, const std::string& suffix, long nameMax) {
  const size_t fixed = 2 + suffix.size() + sizeof kTemporaryEnd - 1;  // the dots and the end
  const size_t room = nameMax > static_cast<long>(fixed) ? static_cast<size_t>(nameMax) - fixed : 0;
  size_t stem = std::min(name.size(), room);
  // A cut inside a UTF-8 sequence moves back to its first byte.
  if (stem < name.size())
    while (stem > 0 && (static_cast<unsigned char>(name[stem]) & 0xC0) == 0x80) --stem;
  return "." + name.substr(0, stem) + "." + suffix + kTemporaryEnd;
}

std::optional<int> ProcessDescriptorName(const std::string& fileName) {
  if (fileName == "/dev/stdout") return 1;
  if (fileName == "/dev/stderr") return 2;
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    const std::string_view p(prefix);
    if (fileName.size() <= p.size() || fileName.compare(0, p.size(), p) != 0) continue;
    const std::string digits = fileName.substr(p.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    return std::atoi(digits.c_str());
  }
  return std::nullopt;
}

OutputFile::OutputFile(const std::string& fileName) : fileName_(fileName) {
  if (const std::optional<int> descriptor = ProcessDescriptorName(fileName)) {
    // A descriptor the program opened itself (a connection to the directory, say) is no output.
    if (!OpenAtStart(*descriptor))
      RaiseCreate(fileName, "It was not open when the program started");
    OpenStream(fileName, descriptor);
    return;
  }
  struct stat status {};
  if (::stat(fileName.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) RaiseCreate(fileName, "It is a folder");
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode)) {
      OpenStream(fileName, std::nullopt);
      return;
    }
    if (!S_ISREG(status.st_mode))
      RaiseCreate(fileName, "It is neither a regular file nor a pipe or character device");
    char resolved[PATH_MAX];
    if (::realpath(fileName.c_str(), resolved) == nullptr) RaiseCreateErrno(fileName, errno);
    target_ = std::string(resolved);
    // Opened for writing, without truncation: a file this user may not write is refused, and
    // the record lock below needs write access.
    targetFd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (targetFd_ < 0) RaiseCreateErrno(fileName, errno);
    if (LockedByAnother(targetFd_)) {
      CloseTarget();
      RaiseCreate(fileName, kInUse);
    }
  } else if (errno == ENOENT) {
    target_ = FollowDanglingLinks(fileName);
  } else {
    RaiseCreateErrno(fileName, errno);
  }
  const std::filesystem::path path(target_);
  const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
  const bool replacing = targetFd_ >= 0;
  try {
    CreateTemporary(folder, path.filename().string(), replacing);
  } catch (...) {
    CloseTarget();
    throw;
  }
  if (replacing) warnings_ = CopyFileMetadata(targetFd_, status, fd_);
}

OutputFile::~OutputFile() {
  Discard();
}

void OutputFile::OpenStream(const std::string& path, std::optional<int> descriptor) {
  stream_ = true;
  fd_ = descriptor ? ::fcntl(*descriptor, F_DUPFD_CLOEXEC, 3)
                   : ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) RaiseCreateErrno(fileName_, errno);
}

void OutputFile::CreateTemporary(const std::string& folder, const std::string& base,
                                 bool replacing) {
  const long nameMax = NameMax(folder);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = folder + "/" + TemporaryFileName(base, RandomSuffix(), nameMax);
    // Registered before it exists, so that no moment leaves it behind after a signal.
    cleanup_.emplace(name);
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                 replacing ? 0600 : 0666);
    if (fd_ >= 0) {
      temporary_ = std::move(name);
      return;
    }
    const int error = errno;
    cleanup_.reset();
    if (error != EEXIST)
      RaiseCreate(fileName_, "No temporary file can be created in \"" + folder +
                                 "\": " + std::strerror(error));
  }
  RaiseCreate(fileName_, "No free temporary file name in \"" + folder + "\"");
}

void OutputFile::Write(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      if (error == EPIPE) OnBrokenPipe();
      throw OutputFileError(WriteErrorPrefix() + ": " + std::strerror(error));
    }
    synced_ = false;
    data += n;
    size -= static_cast<size_t>(n);
  }
}

std::string OutputFile::WriteErrorPrefix() const {
  std::string prefix = "Error writing output file \"" + fileName_ + "\"";
  if (!temporary_.empty()) prefix += " (temporary file \"" + temporary_ + "\")";
  return prefix;
}

[[noreturn]] void OutputFile::Fail(const std::string& what, int error) {
  const std::string message = WriteErrorPrefix() + ": " + what + std::strerror(error);
  Discard();
  throw OutputFileError(message);
}

void OutputFile::Sync() {
  if (done_ || fd_ < 0) throw OutputFileError(WriteErrorPrefix() + ": the file is closed");
  if (stream_ || synced_) return;
  if (::fsync(fd_) != 0) Fail("", errno);
  synced_ = true;
}

void OutputFile::Commit() {
  if (done_ || fd_ < 0) throw OutputFileError(WriteErrorPrefix() + ": the file is closed");
  if (stream_) {
    const int fd = fd_;
    fd_ = -1;
    done_ = true;
    if (::close(fd) != 0 && errno != EINTR) Fail("", errno);
    return;
  }
  Sync();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) Fail("", errno);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0)
    Fail("it cannot take the place of the target: ", errno);
  done_ = true;
  cleanup_.reset();
  // The rename is durable once the folder is.
  std::string folder = std::filesystem::path(target_).parent_path().string();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  CloseTarget();
}

void OutputFile::Discard() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!done_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  cleanup_.reset();
  done_ = true;
  CloseTarget();
}

void OutputFile::CloseTarget() noexcept {
  if (targetFd_ < 0) return;
  ::close(targetFd_);  // releases both locks
  targetFd_ = -1;
}

}  // namespace vorlix::platform
