// vorlix-cli export never destroys the file it replaces: not on a full disk, not when it is
// killed with SIGTERM in the middle of a big export; and a stream target gets the same bytes
// as a file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_runner.h"

extern char** environ;

namespace vorlix::cli::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kFormats = {"csv", "txt", "dif", "sylk", "xls", "pdf"};

class CliExportSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("cli-export-safety-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A tree with one group "Big" of `members` users, each with a phone.
  std::string BigTree(int members) {
    const fs::path path = dir_ / "big.ldif";
    std::ofstream out(path);
    out << "version: 1\n\ndn:\ndirectoryTreeName: BIG_TREE\n\n"
           "dn: o=big\nobjectClass: organization\no: big\n\n";
    for (int i = 0; i < members; ++i)
      out << "dn: cn=user" << i << ",o=big\nobjectClass: inetOrgPerson\ncn: user" << i
          << "\nsn: U\ntelephoneNumber: +31 20 555 " << 100000 + i << "\n\n";
    out << "dn: cn=Big,o=big\nobjectClass: groupOfNames\ncn: Big\ndescription: all\n";
    for (int i = 0; i < members; ++i) out << "member: cn=user" << i << ",o=big\n";
    return path.string();
  }

  // Names in the folder other than the tree.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.path().extension() != ".ldif") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

// Starts vorlix-cli with the arguments, its output thrown away; returns its process id.
pid_t StartCli(const std::vector<std::string>& args) {
  std::vector<std::string> words = {VORLIX_BINARY_DIR "/vorlix-cli"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

TEST_F(CliExportSafety, SigtermInTheMiddleOfABigExportKeepsTheOldFile) {
  const std::string tree = BigTree(10000);
  // The text and PDF exports write from the start; the workbook is assembled elsewhere and
  // written into its file at the end, so it is stopped when its file is made.
  for (const auto& [format, event] : {std::pair<std::string, uint32_t>{"csv", IN_MODIFY},
                                      {"pdf", IN_MODIFY},
                                      {"xls", IN_CREATE}}) {
    SCOPED_TRACE(format);
    const fs::path target = dir_ / ("members." + format);
    const std::string old = "the old " + format + " file\n";
    std::ofstream(target, std::ios::binary) << old;

    // The first bytes written into the temporary file stop the process: it is then in the
    // middle of writing the export.
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir_.c_str(), event), 0);
    const pid_t pid = StartCli({"--source", tree, "export", "--kind", "group", "Big", "--format",
                                format, "--output", target.string()});
    ASSERT_GT(pid, 0);
    const std::string prefix = ".members." + format + ".";
    bool stopped = false;
    while (!stopped) {
      struct pollfd ready {
        watch, POLLIN, 0
      };
      ASSERT_EQ(::poll(&ready, 1, 120000), 1) << "no export seen";
      alignas(struct inotify_event) char buffer[4096];
      const ssize_t n = ::read(watch, buffer, sizeof buffer);
      for (ssize_t at = 0; at < n && !stopped;) {
        const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
        if (event->len > 0 && std::string(event->name).rfind(prefix, 0) == 0) {
          stopped = ::kill(pid, SIGSTOP) == 0;
        }
        at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
      }
    }
    ::close(watch);
    ASSERT_EQ(Files().size(), 2u) << "the temporary file is there while the export runs";

    ::kill(pid, SIGTERM);
    ::kill(pid, SIGCONT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(ReadFile(target.string()), old);
    EXPECT_EQ(Files(), std::vector<std::string>{target.filename().string()});
    fs::remove(target);
  }
}

TEST_F(CliExportSafety, AFullDiskKeepsTheOldFileInEveryFormat) {
  // A 64 KB file system of its own, mounted in a private namespace; the old files fit, the
  // new ones do not.
  const std::string tree = BigTree(2000);
  const fs::path mount = dir_ / "small";
  const fs::path err = dir_ / "err";
  fs::create_directories(mount);
  std::ostringstream script;
  script << "mount -t tmpfs -o size=64k tmpfs '" << mount.string() << "' || exit 77\n"
         << "for f in";
  for (const std::string& format : kFormats) script << ' ' << format;
  script << "; do\n"
         << "  printf 'old %s' $f > '" << mount.string() << "'/members.$f\n"
         << "  '" << VORLIX_BINARY_DIR << "/vorlix-cli' --source '" << tree
         << "' export --kind group Big --format $f --output '" << mount.string()
         << "'/members.$f >/dev/null 2>'" << err.string() << "'\n"
         << "  echo \"$f exit=$? kept=$(cat '" << mount.string() << "'/members.$f) files=$(ls -A '"
         << mount.string() << "') full=$(grep -c \"members.$f.*No space left on device\" '"
         << err.string() << "')\"\n"
         << "  rm -f '" << mount.string() << "'/members.$f\n"
         << "done\n";
  std::ofstream(dir_ / "full.sh") << script.str();
  const std::string out = (dir_ / "full.out").string();
  const int code =
      Shell("unshare -r -m sh '" + (dir_ / "full.sh").string() + "' > '" + out + "' 2>/dev/null");
  if (code == 77 || code == 1) GTEST_SKIP() << "no private tmpfs can be mounted here";
  ASSERT_EQ(code, 0);
  std::string expected;
  for (const std::string& format : kFormats)
    expected += format + " exit=4 kept=old " + format + " files=members." + format + " full=1\n";
  EXPECT_EQ(ReadFile(out), expected);
}

TEST_F(CliExportSafety, AStreamTargetGetsTheBytesOfAFile) {
  for (const std::string& format : kFormats) {
    SCOPED_TRACE(format);
    const std::vector<std::string> lookup = {"export",   "--kind", "workstation", "Depot",
                                             "--format", format,   "--output"};
    std::vector<std::string> toFile = lookup, toStdout = lookup;
    toFile.push_back((dir_ / ("members." + format)).string());
    toStdout.push_back("/dev/stdout");
    const CliRun file = RunCli(toFile, "LC_ALL=C TZ=UTC");
    const CliRun stream = RunCli(toStdout, "LC_ALL=C TZ=UTC");
    ASSERT_EQ(file.exitCode, 0) << file.err;
    ASSERT_EQ(stream.exitCode, 0) << stream.err;
    EXPECT_EQ(stream.out, ReadFile((dir_ / ("members." + format)).string()));
    EXPECT_FALSE(stream.out.empty());
  }
  // Through a pipe as well.
  const std::string piped = (dir_ / "piped.csv").string();
  ASSERT_EQ(Shell("LC_ALL=C TZ=UTC '" VORLIX_BINARY_DIR
                  "/vorlix-cli' export --kind workstation Depot --format csv --output "
                  "/dev/stdout | cat > '" +
                  piped + "'"),
            0);
  EXPECT_EQ(ReadFile(piped), ReadFile((dir_ / "members.csv").string()));
}

TEST_F(CliExportSafety, AWritePastTheFileSizeLimitIsAWriteErrorThatKeepsTheOldFile) {
  const std::string tree = BigTree(2000);
  for (const std::string format : {"csv", "xls", "xlsx", "pdf"}) {
    SCOPED_TRACE(format);
    const fs::path target = dir_ / ("members." + format);
    std::ofstream(target, std::ios::binary) << "old";
    const std::string err = (dir_ / "err").string();
    // Every export is larger than 2 KB; the old file is not.
    const std::string command =
        "ulimit -f 2; " +
        CliCommandLine({"--source", tree, "export", "--kind", "group", "Big", "--format", format,
                        "--output", target.string()}) +
        " 2>" + ShellQuoted(err);
    // An output error, not the end by SIGXFSZ (exit status 153).
    EXPECT_EQ(Shell("bash -c " + ShellQuoted(command)), 4);
    EXPECT_NE(ReadFile(err).find("Error writing"), std::string::npos) << ReadFile(err);
    EXPECT_TRUE(ReadFile(target.string()) == "old");
    fs::remove(err);
    EXPECT_EQ(Files(), std::vector<std::string>{target.filename().string()});
    fs::remove(target);
  }
}

TEST_F(CliExportSafety, TheFileReachesTheDiskBeforeItsRenameAndTheFolderAfter) {
  const fs::path folder = fs::canonical(dir_);
  const std::string log = ::testing::TempDir() + "/sync-order-" + std::to_string(getpid());
  const char* sanitizer = std::getenv("ASAN_OPTIONS");
  // The recorder is loaded ahead of the sanitizer's runtime, which must allow it.
  const std::string environment =
      "LD_PRELOAD=" + ShellQuoted(VORLIX_SYNC_SHIM) + " VORLIX_SYNC_LOG=" + ShellQuoted(log) +
      " ASAN_OPTIONS=" +
      ShellQuoted(std::string(sanitizer != nullptr ? sanitizer : "") + ":verify_asan_link_order=0");
  for (const std::string format : {"csv", "xls", "xlsx", "pdf"}) {
    SCOPED_TRACE(format);
    const fs::path target = folder / ("members." + format);
    std::ofstream(target, std::ios::binary) << "old";
    std::remove(log.c_str());
    const CliRun run = RunCli({"export", "--kind", "workstation", "Depot", "--format", format,
                               "--output", target.string()},
                              environment);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> calls;
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    const std::string temporary = (folder / ".members.").string() + format + ".";
    const auto rename = std::find_if(calls.begin(), calls.end(), [&](const std::string& call) {
      return call.starts_with("rename " + temporary) && call.ends_with(" " + target.string());
    });
    ASSERT_NE(rename, calls.end()) << ReadFile(log);
    const std::string from = rename->substr(7, rename->find(' ', 7) - 7);
    EXPECT_NE(std::find(calls.begin(), rename, "sync " + from), rename) << ReadFile(log);
    EXPECT_NE(std::find(rename, calls.end(), "sync " + folder.string()), calls.end())
        << ReadFile(log);
    fs::remove(target);
  }
  std::remove(log.c_str());
}

TEST_F(CliExportSafety, AnExportOverTheTreeOrTheConfigurationInUseIsRefused) {
  const std::string tree = BigTree(2);
  const std::string config = (dir_ / "vorlix.ini").string();
  std::ofstream(config) << "[DIRECTORY]\nsource=" << tree << "\n";
  fs::create_symlink(tree, dir_ / "tree-link.csv");
  fs::create_hard_link(config, dir_ / "config-copy.csv");
  const std::string treeBytes = ReadFile(tree), configBytes = ReadFile(config);
  struct Case {
    std::string output;
    std::string told;  // the input named in the refusal
  };
  const std::vector<Case> cases = {
      {tree, "it is the tree file in use (" + tree + ")"},
      {(dir_ / "." / "big.ldif").string(), "it is the tree file in use"},
      {(dir_ / "tree-link.csv").string(), "it is the tree file in use"},
      {config, "it is the configuration file in use (" + config + ")"},
      {(dir_ / "config-copy.csv").string(), "it is the configuration file in use"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli({"--config", config, "export", "--kind", "group", "Big", "--format",
                               "csv", "--output", c.output});
    EXPECT_EQ(run.exitCode, 4) << c.output;
    EXPECT_NE(run.err.find("Cannot export to \"" + c.output + "\": " + c.told), std::string::npos)
        << run.err;
  }
  // Standard output appending to the tree is the tree too.
  EXPECT_EQ(Shell(CliCommandLine({"--config", config, "export", "--kind", "group", "Big",
                                  "--format", "csv", "--output", "-"}) +
                  " >>" + ShellQuoted(tree) + " 2>/dev/null"),
            4);
  EXPECT_EQ(ReadFile(tree), treeBytes);
  EXPECT_EQ(ReadFile(config), configBytes);
  EXPECT_EQ(Files(), (std::vector<std::string>{"config-copy.csv", "tree-link.csv", "vorlix.ini"}));
  // Any other file is written.
  EXPECT_EQ(RunCli({"--config", config, "export", "--kind", "group", "Big", "--format", "csv",
                    "--output", (dir_ / "big.csv").string()})
                .exitCode,
            0);
}

}  // namespace
}  // namespace vorlix::cli::testing
