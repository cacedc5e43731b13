// The output file of a run: the target is replaced only by a complete file, locks of other
// programs are honoured, streams are written through, and signals leave no temporary file.

#include "platform/output_file.h"

#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "export/morvat_messages.h"
#include "export/morvat_stream.h"
#include "export_fixtures.h"
#include "platform/signal_cleanup.h"
#include "platform/standard_streams.h"

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
      platform::InstallSignalCleanup(platform::BrokenPipe::kFailsTheWrite);
      platform::RemoveOnSignal cleanup(temporary.string());
      ::raise(signal);
      ::_exit(7);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  };
  // Every signal whose default action ends the program, sent by another process.
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXFSZ,
                     SIGVTALRM, SIGPROF}) {
    SCOPED_TRACE(strsignal(signal));
    const int status = runChild(signal, false);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_FALSE(fs::exists(temporary));
  }
  // A signal the program was started ignoring (a background job's SIGINT) stays ignored.
  const int status = runChild(SIGINT, true);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
  EXPECT_TRUE(fs::exists(temporary));
}

// Runs `body` in a child process and returns what it wrote to `report`.
std::string InChild(const std::function<void(std::string& report)>& body) {
  int ends[2];
  if (::pipe(ends) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    std::string report;
    body(report);
    [[maybe_unused]] const ssize_t n = ::write(ends[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(ends[1]);
  std::string report;
  char chunk[4096];
  for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) > 0;) report.append(chunk, size_t(n));
  ::close(ends[0]);
  ::waitpid(child, nullptr, 0);
  return report;
}

TEST_F(OutputFile, ADescriptorThatWasClosedAtStartIsNoOutput) {
  const std::string report = InChild([](std::string& report) {
    ::close(STDOUT_FILENO);
    platform::SecureStandardStreams();
    // What now holds number 1 is /dev/null, which the program did not get from its caller.
    struct stat one {
    }, null{};
    ::fstat(STDOUT_FILENO, &one);
    ::stat("/dev/null", &null);
    report += one.st_rdev == null.st_rdev ? "null;" : "not null;";
    report += platform::OpenAtStart(STDOUT_FILENO) ? "1 open;" : "1 closed;";
    report += platform::OpenAtStart(STDERR_FILENO) ? "2 open;" : "2 closed;";
    const int later = ::open("/dev/null", O_RDONLY);
    report += platform::OpenAtStart(later) ? "later open;" : "later closed;";
    report += ErrorOf([] { MorvatFileStream stream("/dev/stdout"); });
  });
  EXPECT_EQ(report,
            "null;1 closed;2 open;later closed;Cannot create file \"/dev/stdout\". It was not "
            "open when the program started");
}

TEST_F(OutputFile, NamesAsLongAsTheFileSystemTakesAreCreatedAndReplaced) {
  // "ä" is two bytes: the longest name cuts its stem between two characters.
  const std::string umlauts = [] {
    std::string name;
    for (int i = 0; i < 127; ++i) name += "\xC3\xA4";
    return name + "x";
  }();
  for (const std::string& name : {std::string(255, 'n'), umlauts, std::string(243, 'm')}) {
    SCOPED_TRACE(name.size());
    const fs::path target = dir_ / name;
    for (const char* content : {"created", "replaced"}) {
      MorvatFileStream stream(target.string());
      stream.Write(content);
      stream.Close();
      EXPECT_EQ(ReadFile(target), content);
    }
    EXPECT_TRUE(TemporaryFiles(dir_).empty());
    fs::remove(target);
  }
  EXPECT_EQ(platform::TemporaryFileName("members.csv", "abcdef", 255), ".members.csv.abcdef.tmp");
  EXPECT_EQ(platform::TemporaryFileName(std::string(255, 'n'), "abcdef", 255),
            "." + std::string(243, 'n') + ".abcdef.tmp");
  // Cut at byte 243, inside the 122nd "ä": the stem ends before it.
  EXPECT_EQ(platform::TemporaryFileName(umlauts, "abcdef", 255),
            "." + umlauts.substr(0, 242) + ".abcdef.tmp");
  EXPECT_EQ(platform::TemporaryFileName("abc", "abcdef", 14), ".ab.abcdef.tmp");
}

// The access control list of a file in its long text form.
std::string AclText(const fs::path& path) {
  acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
  if (acl == nullptr) return "none";
  char* text = acl_to_any_text(acl, nullptr, ',', 0);
  const std::string result = text != nullptr ? text : "?";
  acl_free(text);
  acl_free(acl);
  return result;
}

bool SetAcl(const fs::path& path, const char* text, acl_type_t type = ACL_TYPE_ACCESS) {
  acl_t acl = acl_from_text(text);
  const bool set = acl != nullptr && acl_set_file(path.c_str(), type, acl) == 0;
  if (acl != nullptr) acl_free(acl);
  return set;
}

std::string Attribute(const fs::path& path, const char* name) {
  char value[256];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? "missing" : std::string(value, static_cast<size_t>(n));
}

// Replaces the file through an output file; the warnings, one a line.
std::string Replace(const fs::path& file) {
  MorvatFileStream stream(file.string());
  stream.Write("new");
  stream.Close();
  std::string warnings;
  for (const std::string& warning : stream.Warnings()) warnings += warning + "\n";
  return warnings;
}

TEST_F(OutputFile, TheReplacedFileKeepsOwnerGroupModeAccessListAndAttributes) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner takes root";
  WriteFile(file_, "old");
  ASSERT_EQ(::chown(file_.c_str(), 1234, 5678), 0);
  ASSERT_EQ(::chmod(file_.c_str(), 02644), 0);
  // User 4321 may not read it, although every other user may.
  if (!SetAcl(file_, "u::rw-,u:4321:---,g::r--,m::r--,o::r--"))
    GTEST_SKIP() << "no access control lists here";
  if (::setxattr(file_.c_str(), "user.origin", "kept", 4, 0) != 0)
    GTEST_SKIP() << "no extended attributes here";
  const std::string acl = AclText(file_);
  EXPECT_EQ(Replace(file_), "");
  EXPECT_EQ(ReadFile(file_), "new");
  struct stat status {};
  ASSERT_EQ(::stat(file_.c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 1234u);
  EXPECT_EQ(status.st_gid, 5678u);
  EXPECT_EQ(status.st_mode & 07777, 02644u);
  EXPECT_EQ(AclText(file_), acl);
  EXPECT_EQ(Attribute(file_, "user.origin"), "kept");

  // A folder whose default list admits user 4321: the new file takes the old one's list, not
  // the folder's.
  const fs::path folder = dir_ / "shared";
  fs::create_directories(folder);
  ASSERT_TRUE(SetAcl(folder, "u::rwx,u:4321:rwx,g::r-x,m::rwx,o::r-x", ACL_TYPE_DEFAULT));
  const fs::path plain = folder / "plain.csv";
  WriteFile(plain, "old");
  ASSERT_TRUE(SetAcl(plain, "u::rw-,g::r--,o::---"));
  EXPECT_EQ(Replace(plain), "");
  EXPECT_EQ(AclText(plain), "user::rw-,group::r--,other::---");
}

TEST_F(OutputFile, AnOwnerOrGroupThatCannotBeKeptIsToldAndNeverWidensAccess) {
  if (::geteuid() != 0) GTEST_SKIP() << "taking another user's identity takes root";
  fs::permissions(dir_, fs::perms::all);
  struct Case {
    const char* what;
    gid_t group;
    mode_t mode;
    mode_t expectedMode;
    gid_t expectedGroup;
    std::string warnings;
  };
  // The writer is user 4321 with group 4321, also a member of group 5678.
  const Case cases[] = {
      {"a group the writer belongs to is kept", 5678, 0664, 0664, 5678,
       "its owner 1234 could not be kept (Operation not permitted); the new file belongs to "
       "4321\n"},
      {"another group is not, and gets no access", 5679, 0666, 0606, 4321,
       "its owner 1234 could not be kept (Operation not permitted); the new file belongs to "
       "4321\nits group 5679 could not be kept (Operation not permitted); the group 4321 gets no "
       "access\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(file_, "old");
    ASSERT_EQ(::chown(file_.c_str(), 1234, c.group), 0);
    ASSERT_EQ(::chmod(file_.c_str(), c.mode), 0);
    const std::string warnings = InChild([&](std::string& report) {
      const gid_t groups[] = {5678};
      if (::setgroups(1, groups) != 0 || ::setgid(4321) != 0 || ::setuid(4321) != 0) {
        report = "cannot change identity";
        return;
      }
      try {
        report = Replace(file_);
      } catch (const EMorvatError& e) {
        report = e.what();
      }
    });
    EXPECT_EQ(warnings, c.warnings);
    EXPECT_EQ(ReadFile(file_), "new");
    struct stat status {};
    ASSERT_EQ(::stat(file_.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 4321u);
    EXPECT_EQ(status.st_gid, c.expectedGroup);
    EXPECT_EQ(status.st_mode & 07777, c.expectedMode);
  }
}

}  // namespace
}  // namespace vorlix::exporter
