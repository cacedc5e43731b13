// What vorlix-cli writes to stderr on each command's error, warning and notice paths: every line
// that reports one begins with "vorlix-cli: " once; only the usage, the names to pick from and
// the count line of `members` are written as they are.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

namespace fs = std::filesystem;

const std::string kPrefix = "vorlix-cli: ";

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "9\tAll sales staff\tSales.groups.harbourline": the count, description and name of a listing.
bool IsCountLine(const std::string& line) {
  const size_t tab = line.find('\t');
  return tab != 0 && tab != std::string::npos && line.find_first_not_of("0123456789") == tab;
}

// The lines of stderr that report something: all but the usage that follows a usage error, the
// names listed after "choose one with --pick NAME:" and the count line of a listing.
std::vector<std::string> ReportLines(const std::string& err) {
  std::vector<std::string> reports;
  for (const std::string& line : LinesOf(err)) {
    if (line.starts_with("usage: ")) break;  // the usage ends stderr
    if (IsCountLine(line)) continue;
    reports.push_back(line);
    if (line.ends_with("choose one with --pick NAME:") ||
        line.ends_with("is not one of the matches:")) {
      break;  // the matching names, to copy into --pick
    }
  }
  return reports;
}

// Runs vorlix-cli after `before` (a command that runs it, such as setpriv), its standard output
// going to `out`.
CliRun RunWith(const std::string& before, const std::vector<std::string>& args,
               const std::string& out) {
  const std::string errFile =
      ::testing::TempDir() + "/message-lines-" + std::to_string(getpid()) + ".err";
  CliRun run;
  run.exitCode = Shell(before + " " + CliCommandLine(args) + " </dev/null >" + ShellQuoted(out) +
                       " 2>" + ShellQuoted(errFile));
  run.err = ReadFile(errFile);
  std::remove(errFile.c_str());
  return run;
}

class CliMessageLines : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("message-lines-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Open to everyone: one case writes here as another user.
    fs::permissions(dir_, fs::perms::all);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // A group of 150 users whose names do not fit in one mail command together.
  std::string CrowdTree() const {
    std::string ldif =
        "dn:\ndirectoryTreeName: CROWD\n\ndn: o=crowd\nobjectClass: organization\n"
        "o: crowd\n\n";
    std::string group = "dn: cn=Crowd,o=crowd\nobjectClass: groupOfNames\ncn: Crowd\n";
    for (int i = 0; i < 150; ++i) {
      const std::string cn = "member-with-a-long-name-" + std::to_string(i);
      ldif += "dn: cn=" + cn + ",o=crowd\nobjectClass: inetOrgPerson\ncn: " + cn + "\nsn: M\n\n";
      group += "member: cn=" + cn + ",o=crowd\n";
    }
    return Write("crowd.ldif", ldif + group);
  }

  fs::path dir_;
};

TEST_F(CliMessageLines, EveryErrorWarningAndNoticeLineBeginsWithTheProgramNameOnce) {
  const std::string sample = VORLIX_DATA_DIR "/sample-tree.ldif";
  const std::string tree = Write("tree.ldif", ReadFile(sample));
  const std::string unreadable = VORLIX_TEST_DATA_DIR "/core/lookup-tree.ldif";
  const std::string noDirectory = Write("plain.ini", "[SYSTEM]\nnot an entry\n");
  const std::string bound =
      Write("bound.ini", "[DIRECTORY]\nsource=ldap://127.0.0.1:1/o=x\nbinddn=cn=admin,o=x\n");
  const std::string scratch = (dir_ / "out").string();
  // Owned by a user and group the writer is not: neither can be kept when it is replaced.
  const std::string others = Write("others.csv", "old");
  const bool root = ::geteuid() == 0;
  if (root) {
    EXPECT_EQ(::chown(others.c_str(), 1234, 1234), 0);
    fs::permissions(others, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read | fs::perms::others_write);
  }
  const std::string asAnother = "setpriv --reuid=4321 --regid=4321 --clear-groups";
  const std::string sales = "Sales.groups.harbourline";
  const std::string tooLong(255, 'S');

  struct Case {
    std::string what;
    std::string before;  // runs vorlix-cli, such as setpriv or env
    std::vector<std::string> args;
    int exitCode;
    std::string told;      // the start of a line stderr must hold; empty: none
    std::string out = {};  // where standard output goes; empty: a scratch file
  };
  std::vector<Case> cases = {
      {"usage", "", {"tree", "extra"}, 64, kPrefix + "unexpected argument \"extra\""},
      {"configuration unreadable",
       "",
       {"--config", (dir_ / "missing.ini").string(), "tree"},
       64,
       kPrefix + (dir_ / "missing.ini").string() + ": cannot open the file"},
      {"configuration notice of two lines",
       "",
       {"--config", noDirectory, "tree"},
       0,
       kPrefix + "No directory is configured, so the bundled sample tree is opened."},
      {"tree file missing",
       "",
       {"--source", (dir_ / "none.ldif").string(), "tree"},
       3,
       kPrefix + (dir_ / "none.ldif").string() + ": cannot open the file"},
      {"server unreachable",
       "",
       {"--source", "ldap://127.0.0.1:1", "tree"},
       3,
       kPrefix + "Netware error -625"},
      {"no password",
       "env -u VORLIX_LDAP_PASSWORD",
       {"--config", bound, "tree"},
       3,
       kPrefix + "binding as cn=admin,o=x needs a password"},
      {"directory error",
       "",
       {"read", "nobody.harbourline", "CN"},
       3,
       kPrefix + "Netware error -601"},
      {"name too long",
       "",
       {"read", std::string(513, 'x'), "CN"},
       64,
       kPrefix + "Object name is 513 characters long"},
      {"find text too long",
       "",
       {"find", "--kind", "group", tooLong},
       64,
       kPrefix + "The name to look up is 255 characters long"},
      {"no match",
       "",
       {"members", "--kind", "group", "zzz"},
       1,
       kPrefix + "No Group matches \"zzz\"."},
      {"several match",
       "",
       {"members", "--kind", "group", "Sales"},
       2,
       kPrefix + "3 objects match; choose one with --pick NAME:"},
      {"pick not a match",
       "",
       {"mailto", "--kind", "group", "Sales", "--pick", "Nope"},
       2,
       kPrefix + "\"Nope\" is not one of the matches:"},
      {"lookup text too long",
       "",
       {"mailto", "--kind", "group", tooLong},
       64,
       kPrefix + "The name to look up is 255 characters long"},
      {"members unreadable",
       "",
       {"--source", unreadable, "members", "--kind", "group", "Mixed"},
       5,
       kPrefix + "2 members or values could not be read"},
      {"mail command cut",
       "",
       {"--source", CrowdTree(), "mailto", "--kind", "group", "Crowd"},
       0,
       kPrefix + "A mail command holds at most"},
      {"export over the tree",
       "",
       {"--source", tree, "export", "--kind", "group", "Sales", "--pick", sales, "--format", "csv",
        "--output", tree},
       4,
       kPrefix + "Cannot export to \"" + tree + "\": it is the tree file in use"},
      {"export unwritable",
       "",
       {"export", "--kind", "group", "Sales", "--pick", sales, "--format", "csv", "--output",
        "/dev/null/x.csv"},
       4,
       kPrefix + "Directory \"/dev/null\" not found"},
      {"standard output full",
       "",
       {"tree"},
       4,
       kPrefix + "cannot write to standard output: No space left on device",
       "/dev/full"},
      {"members listed", "", {"members", "--kind", "group", "Sales", "--pick", sales}, 0, ""},
  };
  if (root) {
    cases.push_back({"export keeps no owner",
                     asAnother,
                     {"export", "--kind", "group", "Sales", "--pick", sales, "--format", "csv",
                      "--output", others},
                     0,
                     kPrefix + "warning: " + others + ": its owner 1234 could not be kept"});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CliRun run = RunWith(c.before, c.args, c.out.empty() ? scratch : c.out);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    bool toldFound = c.told.empty();
    for (const std::string& line : ReportLines(run.err)) {
      EXPECT_TRUE(line.starts_with(kPrefix)) << line;
      EXPECT_FALSE(line.substr(kPrefix.size()).starts_with(kPrefix)) << line;
      toldFound = toldFound || line.starts_with(c.told);
    }
    EXPECT_TRUE(toldFound) << run.err;
  }
}

// The lines that are data stay as they are: the names to pick from, the usage, the count line.
TEST_F(CliMessageLines, NamesToPickUsageAndCountLineStayAsTheyAre) {
  const std::string out = (dir_ / "out").string();
  EXPECT_EQ(RunWith("", {"members", "--kind", "group", "Sales"}, out).err,
            kPrefix +
                "3 objects match; choose one with --pick NAME:\n"
                "Sales East.groups.harbourline\nSales West.groups.harbourline\n"
                "Sales.groups.harbourline\n");
  EXPECT_EQ(RunWith("", {"tree", "extra"}, out).err,
            kPrefix +
                "unexpected argument \"extra\"\n"
                "usage: vorlix-cli [--config FILE] [--source SOURCE] [--password-file FILE] "
                "[--quiet] tree\n"
                "Run \"vorlix-cli tree --help\" for details.\n");
  EXPECT_EQ(RunWith("", {"members", "--kind", "group", "Empty P"}, out).err,
            "0\tPlaceholder group without members\tEmpty Projects.groups.harbourline\n");
}

}  // namespace
}  // namespace vorlix::cli::testing
