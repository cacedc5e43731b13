// The output file of a run: the target is replaced only by a complete file, locks of other
// programs are honoured, streams are written through, and signals leave no temporary file.

#include "platform/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "export/morvat_messages.h"
#include "export/morvat_stream.h"
#include "export_fixtures.h"
#include "platform/signal_cleanup.h"

namespace vorlix::exporter {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Names in the folder that look like a run's temporary files.
std::vector<std::string> TemporaryFiles(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.front() == '.' && name.ends_with(".tmp")) names.push_back(name);
  }
  return names;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EMorvatError& e) {
    return e.what();
  }
  return "no error";
}

class OutputFile : public ::testing::Test {
 protected:
  fs::path dir_;
  fs::path file_;
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vorlix-output-file-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "members.csv";
  }
  void TearDown() override { fs::remove_all(dir_); }
};

TEST_F(OutputFile, TheTargetChangesOnlyWhenAStreamIsClosed) {
  WriteFile(file_, "old");
  const int registered = platform::RegisteredCleanupCount();
  {
    MorvatFileStream stream(file_.string());
    stream.Write("new content");
    stream.Flush();
    EXPECT_EQ(ReadFile(file_), "old");
    ASSERT_EQ(TemporaryFiles(dir_).size(), 1u);
    EXPECT_EQ(platform::RegisteredCleanupCount(), registered + 1);
    stream.Close();
  }
  EXPECT_EQ(ReadFile(file_), "new content");
  EXPECT_TRUE(TemporaryFiles(dir_).empty());
  EXPECT_EQ(platform::RegisteredCleanupCount(), registered);

  // Dropped without Close, or discarded: nothing changes.
  {
    MorvatFileStream stream(file_.string());
    stream.Write("half");
  }
  {
    MorvatFileStream stream(file_.string());
    stream.Write("half");
    stream.Discard();
    EXPECT_THROW(stream.Write("more"), EMorvatError);
  }
  EXPECT_EQ(ReadFile(file_), "new content");
  { MorvatFileStream stream((dir_ / "never.csv").string()); }
  EXPECT_FALSE(fs::exists(dir_ / "never.csv"));
  EXPECT_TRUE(TemporaryFiles(dir_).empty());
  EXPECT_EQ(platform::RegisteredCleanupCount(), registered);
}

TEST_F(OutputFile, LinksStayAndTheReplacedFileKeepsItsPermissions) {
  WriteFile(file_, "old");
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(file_, dir_ / "link.csv");
  fs::create_symlink(dir_ / "made.csv", dir_ / "dangling.csv");
  for (const char* name : {"link.csv", "dangling.csv"}) {
    MorvatFileStream stream((dir_ / name).string());
    stream.Write(name);
    stream.Close();
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
  EXPECT_EQ(ReadFile(file_), "link.csv");
  EXPECT_EQ(fs::status(file_).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.csv"));
  EXPECT_EQ(ReadFile(dir_ / "made.csv"), "dangling.csv");
}

// Another process holds a lock on the file until `release` is called.
class LockHolder {
 public:
  LockHolder(const fs::path& file, const std::function<bool(int fd)>& lock) {
    int ready[2], done[2];
    if (::pipe(ready) != 0 || ::pipe(done) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(done[1]);
      const int fd = ::open(file.c_str(), O_RDWR);
      char ok = fd >= 0 && lock(fd) ? 'y' : 'n';
      [[maybe_unused]] ssize_t n = ::write(ready[1], &ok, 1);
      n = ::read(done[0], &ok, 1);  // until the parent closes its end
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    done_ = done[1];
    char ok = 'n';
    locked_ = ::read(ready[0], &ok, 1) == 1 && ok == 'y';
    ::close(ready[0]);
  }
  ~LockHolder() {
    if (done_ >= 0) ::close(done_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool Locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  int done_ = -1;
  bool locked_ = false;
};

TEST_F(OutputFile, TargetsLockedByAnotherProgramAreRefusedUntouched) {
  WriteFile(file_, "held by another program");
  const std::vector<std::pair<std::string, std::function<bool(int)>>> kinds = {
      {"flock", [](int fd) { return ::flock(fd, LOCK_EX) == 0; }},
      {"lockf", [](int fd) { return ::lockf(fd, F_LOCK, 0) == 0; }},
      {"fcntl read lock on a few bytes",
       [](int fd) {
         struct flock lock {};
         lock.l_type = F_RDLCK;
         lock.l_whence = SEEK_SET;
         lock.l_start = 5;
         lock.l_len = 3;
         return ::fcntl(fd, F_SETLK, &lock) == 0;
       }},
  };
  for (const auto& [kind, lock] : kinds) {
    SCOPED_TRACE(kind);
    {
      LockHolder holder(file_, lock);
      ASSERT_TRUE(holder.Locked());
      EXPECT_EQ(ErrorOf([&] { MorvatFileStream stream(file_.string()); }),
                "Cannot create file \"" + file_.string() + "\". It is in use by another program");
      EXPECT_EQ(ReadFile(file_), "held by another program");
      EXPECT_TRUE(TemporaryFiles(dir_).empty());
    }
    // Once the other program lets go, the file is written.
    MorvatFileStream stream(file_.string());
    stream.Write("ours");
    stream.Close();
    EXPECT_EQ(ReadFile(file_), "ours");
    WriteFile(file_, "held by another program");
  }
}

TEST_F(OutputFile, StreamsAreWrittenThroughAndNeverTruncated) {
  // A pipe named in the file system.
  const fs::path fifo = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(fifo); });
  {
    MorvatFileStream stream(fifo.string());
    EXPECT_TRUE(stream.IsStream());
    stream.Write(std::string(200000, 'p'));
    stream.Close();
  }
  reader.join();
  EXPECT_EQ(received, std::string(200000, 'p'));
  EXPECT_TRUE(fs::is_fifo(fifo));

  // One of the program's own descriptors, here a file opened for appending: written through
  // the descriptor, so what the file held stays.
  WriteFile(file_, "head;");
  const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  {
    MorvatFileStream stream("/dev/fd/" + std::to_string(fd));
    EXPECT_TRUE(stream.IsStream());
    stream.Write("tail");
    stream.Close();
  }
  EXPECT_EQ(::write(fd, ";still open", 11), 11);
  ::close(fd);
  EXPECT_EQ(ReadFile(file_), "head;tail;still open");
  EXPECT_EQ(platform::ProcessDescriptorName("/dev/stdout"), 1);
  EXPECT_EQ(platform::ProcessDescriptorName("/proc/self/fd/7"), 7);
  EXPECT_EQ(platform::ProcessDescriptorName("/dev/fd/x"), std::nullopt);

  // A device that fails every write: the error names it and the reason.
  MorvatFileStream full("/dev/full");
  EXPECT_EQ(ErrorOf([&] {
              full.Write("x");
              full.Close();
            }),
            "Error writing output file \"/dev/full\": No space left on device");

  EXPECT_EQ(ErrorOf([&] { MorvatFileStream stream(dir_.string()); }),
            "Cannot create file \"" + dir_.string() + "\". It is a folder");
  EXPECT_TRUE(TemporaryFiles(dir_).empty());
}

TEST_F(OutputFile, AFailedWriteNamesBothFilesAndKeepsTheOldOne) {
  WriteFile(file_, "old");
  // Files of this process may not grow past 100,000 bytes for a while.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 100000;
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error, temporary;
  {
    MorvatFileStream stream(file_.string());
    temporary = TemporaryFiles(dir_).at(0);
    error = ErrorOf([&] { stream.Write(std::string(300000, 'w')); });
    // A later Close does not take the incomplete file for a complete one.
    EXPECT_NE(ErrorOf([&] { stream.Close(); }), "no error");
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(error, "Error writing output file \"" + file_.string() + "\" (temporary file \"" +
                       (dir_ / temporary).string() + "\"): File too large");
  EXPECT_EQ(ReadFile(file_), "old");
  EXPECT_TRUE(TemporaryFiles(dir_).empty());
}

TEST_F(OutputFile, ASignalRemovesTheRegisteredFilesAndStillEndsTheProgram) {
  const fs::path temporary = dir_ / ".members.csv.abcdef.tmp";
  auto runChild = [&](int signal, bool ignoreFirst) {
    WriteFile(temporary, "partial");
    const pid_t child = ::fork();
    if (child == 0) {
      if (ignoreFirst) ::signal(signal, SIG_IGN);
      platform::InstallSignalCleanup();
      platform::RemoveOnSignal cleanup(temporary.string());
      ::raise(signal);
      ::_exit(7);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  };
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const int status = runChild(signal, false);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_FALSE(fs::exists(temporary));
  }
  // A signal the program was started ignoring (a background job's SIGINT) stays ignored.
  const int status = runChild(SIGINT, true);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
  EXPECT_TRUE(fs::exists(temporary));
}

}  // namespace
}  // namespace vorlix::exporter
