#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

TEST(CliDirectoryCommandsTest, TreeFindAndReadOnTheSampleTree) {
  CliRun tree = RunCli({"tree"});
  EXPECT_EQ(tree.exitCode, 0) << tree.err;
  EXPECT_EQ(tree.out, "HARBOURLINE_TREE\n");

  CliRun groups = RunCli({"find", "--kind", "group", ""}, "LC_ALL=C");
  EXPECT_EQ(groups.exitCode, 0) << groups.err;
  EXPECT_EQ(groups.out,
            "drivers.groups.harbourline\n"
            "Empty Projects.groups.harbourline\n"
            "Finance.groups.harbourline\n"
            "Sales East.groups.harbourline\n"
            "Sales West.groups.harbourline\n"
            "Sales.groups.harbourline\n"
            "Seasonal Staff.groups.harbourline\n"
            "Warehouse.groups.harbourline\n");

  CliRun workstations = RunCli({"find", "--kind", "workstation", "OFFICE"});
  EXPECT_EQ(workstations.exitCode, 0);
  EXPECT_EQ(workstations.out,
            "Office Laptops.groups.harbourline\nOffice Workstations.groups.harbourline\n");
  CliRun none = RunCli({"find", "--kind", "group", "zzz"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");

  CliRun members = RunCli({"read", "--list", "Sales West.groups.harbourline", "Member"});
  EXPECT_EQ(members.exitCode, 0);
  EXPECT_EQ(members.out,
            "bram\\.dekker.office.harbourline\nhugo\\.visser.office.harbourline\n"
            "tara.depot.harbourline\n");
  CliRun seconds =
      RunCli({"read", "WS-OFF-01.workstations.harbourline", "WM:Last Registered Time"});
  EXPECT_EQ(seconds.out, "1705307400\n");
  CliRun integer = RunCli(
      {"read", "--integer", "WS-DEP-03.workstations.harbourline", "WM:Last Registered Time"});
  EXPECT_EQ(integer.out, "0\n");
  CliRun description = RunCli({"read", "Empty Projects.groups.harbourline", "Description"});
  EXPECT_EQ(description.out, "Placeholder group without members\n");
}

TEST(CliDirectoryCommandsTest, NamesMatchWithoutRegardToCaseInEveryScript) {
  const std::string tree = ::testing::TempDir() + "/cases-" + std::to_string(::getpid()) + ".ldif";
  std::ofstream(tree) << "dn:\ndirectoryTreeName: CASES\n\ndn: o=x\no: x\n\n"
                         "dn: cn=\xC3\x84rzte,o=x\nobjectClass: groupOfNames\ncn: \xC3\x84rzte\n"
                         "member: cn=Ute,o=x\n\n"
                         "dn: cn=\xC3\xA9quipe,o=x\nobjectClass: groupOfNames\ncn: \xC3\xA9quipe\n"
                         "member: cn=Ute,o=x\n\n"
                         "dn: cn=\xC3\x89quipe Nord,o=x\nobjectClass: groupOfNames\n"
                         "cn: \xC3\x89quipe Nord\nmember: cn=Ute,o=x\n\n"
                         "dn: cn=Ute,o=x\nobjectClass: person\ncn: Ute\nsn: U\n";
  const CliRun doctors = RunCli({"--source", tree, "find", "--kind", "group", "\xC3\xA4r"});
  EXPECT_EQ(doctors.exitCode, 0) << doctors.err;
  EXPECT_EQ(doctors.out, "\xC3\x84rzte.x\n");
  const CliRun teams =
      RunCli({"--source", tree, "find", "--kind", "group", "\xC3\x89q"}, "LC_ALL=C.UTF-8");
  EXPECT_EQ(teams.out, "\xC3\x89quipe Nord.x\n\xC3\xA9quipe.x\n");
  const CliRun picked = RunCli(
      {"--source", tree, "members", "--kind", "group", "\xC3\xA9q", "--pick", "\xC3\x89QUIPE.X"});
  EXPECT_EQ(picked.exitCode, 0) << picked.err;
  EXPECT_EQ(picked.err, "1\t\t\xC3\xA9quipe.x\n");
  std::remove(tree.c_str());
}

// `count` accented letters, two UTF-8 bytes each.
std::string Accented(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += "\xC3\xA9";
  return text;
}

TEST(CliDirectoryCommandsTest, TextLimitsCountCharactersNotBytes) {
  // At the limits the texts are looked for (and are not there); one character more is refused,
  // with the count of characters in the message.
  EXPECT_EQ(RunCli({"find", "--kind", "group", Accented(254)}).exitCode, 1);
  EXPECT_EQ(RunCli({"members", "--kind", "group", Accented(254)}).exitCode, 1);
  for (const char* command : {"find", "members"}) {
    const CliRun refused = RunCli({command, "--kind", "group", Accented(255)});
    EXPECT_EQ(refused.exitCode, 64) << command;
    EXPECT_NE(refused.err.find("is 255 characters long; at most 254"), std::string::npos)
        << refused.err;
  }
  EXPECT_EQ(RunCli({"read", Accented(512), "CN"}).exitCode, 3);
  const CliRun object = RunCli({"read", Accented(513), "CN"});
  EXPECT_EQ(object.exitCode, 64);
  EXPECT_NE(object.err.find("Object name is 513 characters long"), std::string::npos) << object.err;
  EXPECT_EQ(RunCli({"read", "Sales.groups.harbourline", Accented(200)}).exitCode, 0);
  EXPECT_EQ(RunCli({"read", "Sales.groups.harbourline", Accented(201)}).exitCode, 64);
}

TEST(CliDirectoryCommandsTest, ErrorsGiveTheirExitCodesAndMessages) {
  CliRun missing = RunCli({"read", "nobody.harbourline", "CN"});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_EQ(missing.err,
            "vorlix-cli: Netware error -601 (0xFFFFFDA7) reading \"CN\" of \"nobody.harbourline\": no such "
            "object\n");

  // A text too long to search for is refused in the lookup's words, not the pattern's.
  CliRun tooLong = RunCli({"find", "--kind", "group", std::string(255, 'S')});
  EXPECT_EQ(tooLong.exitCode, 64);
  EXPECT_NE(tooLong.err.find("255 characters long; at most 254"), std::string::npos) << tooLong.err;
  EXPECT_EQ(RunCli({"find", "--kind", "group", std::string(254, 'S')}).exitCode, 1);

  CliRun noFile = RunCli({"--source", "/nonexistent/tree.ldif", "tree"});
  EXPECT_EQ(noFile.exitCode, 3);
  EXPECT_EQ(noFile.err,
            "vorlix-cli: Novell Client not installed?\n"
            "vorlix-cli: /nonexistent/tree.ldif: cannot open the file: No such file or directory\n");
  // A device is refused by what it is, not read until the memory runs out.
  CliRun device = RunCli({"--source", "/dev/zero", "tree"});
  EXPECT_EQ(device.exitCode, 3);
  EXPECT_EQ(device.err,
            "vorlix-cli: Novell Client not installed?\n"
            "vorlix-cli: /dev/zero: cannot open the file: it is a character device, not a file\n");
  // Port 1 of this machine: nobody listens there.
  CliRun ldap = RunCli({"--source", "ldap://127.0.0.1:1", "tree"});
  EXPECT_EQ(ldap.exitCode, 3);
  EXPECT_EQ(ldap.err,
            "vorlix-cli: Novell Client not installed?\nvorlix-cli: Netware error -625 "
            "(0xFFFFFD8F): Connecting to "
            "127.0.0.1:1: Can't contact LDAP server (-1)\n");
  CliRun badUrl = RunCli({"--source", "ldap://host/o=x??sub?(cn=*)", "tree"});
  EXPECT_EQ(badUrl.exitCode, 3);
  EXPECT_NE(badUrl.err.find("give only the server and the base"), std::string::npos) << badUrl.err;

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"nosuchcommand"},
                                             {"--bogus", "tree"},
                                             {"--source"},
                                             {"find", "sales"},
                                             {"find", "--kind", "user", "x"},
                                             {"read", "only-one-operand"},
                                             {"tree", "extra"}}) {
    CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 64) << (args.empty() ? "" : args[0]);
    EXPECT_NE(run.err.find("usage: vorlix-cli"), std::string::npos);
  }
}

TEST(CliDirectoryCommandsTest, ConfigurationAndSourceChooseTheTree) {
  const std::string dir = ::testing::TempDir();
  std::ofstream(dir + "/other.ldif") << "dn:\ndirectoryTreeName: OTHER\n\ndn: o=x\no: x\n";
  std::ofstream(dir + "/vorlix-test.ini")
      << "[SYSTEM]\nphone=0\n[DIRECTORY]\nsource=" << dir << "/other.ldif\n";
  CliRun configured = RunCli({"--config", dir + "/vorlix-test.ini", "tree"});
  EXPECT_EQ(configured.exitCode, 0) << configured.err;
  EXPECT_EQ(configured.out, "OTHER\n");
  // --source wins over the configuration.
  CliRun both = RunCli({"--config", dir + "/vorlix-test.ini", "--source",
                        VORLIX_DATA_DIR "/sample-tree.ldif", "tree"});
  EXPECT_EQ(both.out, "HARBOURLINE_TREE\n");
  CliRun noConfig = RunCli({"--config", dir + "/missing.ini", "tree"});
  EXPECT_EQ(noConfig.exitCode, 64);
  EXPECT_NE(noConfig.err.find(dir + "/missing.ini: cannot open the file: No such file"),
            std::string::npos)
      << noConfig.err;
  CliRun folder = RunCli({"--config", dir, "tree"});
  EXPECT_EQ(folder.exitCode, 64);
  EXPECT_EQ(folder.err.rfind("vorlix-cli: " + dir + ": cannot open the file: it is a folder\n", 0),
            0u)
      << folder.err;

  // Each configuration's tree run: a line that cannot be used is named on stderr and skipped,
  // and the rest of its section applies; a configuration that names a directory never opens the
  // sample tree in its place.
  struct Case {
    std::string name, content;
    int exitCode;
    std::string out, err;  // err: the end of stderr after the file's path
  };
  const std::string other = "[DIRECTORY]\nsource=" + dir + "/other.ldif\n";
  const std::vector<Case> cases = {
      {"broken", other + "not an entry\n", 0, "OTHER\n",
       ":3: \"not an entry\" is neither a [section] header nor a key=value entry; the line is "
       "skipped\n"},
      {"typo", other + "timeot=5\n", 0, "OTHER\n",
       ":3: [DIRECTORY] unknown key \"timeot\" (known: source, base, binddn, starttls, timeout, "
       "bind, tls_verify); the line is skipped\n"},
      {"missing", "[DIRECTORY]\nsource=TREE\ntimeot=5\n", 3, "",
       "/TREE: cannot open the file: No such file or directory\n"},
      {"utf16", std::string("\xFF\xFE[\0D\0I\0R\0", 10), 3, "",
       ": the configuration cannot be read, so the directory it names is not known\n"},
      {"nosource", "[DIRECTORY]\nbase=o=x\n", 3, "",
       ":1: the [DIRECTORY] section names no usable \"source\", so no directory is opened\n"},
  };
  for (const Case& c : cases) {
    const std::string path = dir + "/vorlix-" + c.name + ".ini";
    std::ofstream(path, std::ios::binary) << c.content;
    const CliRun run = RunCli({"--config", path, "tree"});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.name;
    EXPECT_TRUE(run.err.ends_with(c.err)) << c.name << "\n" << run.err;
    EXPECT_EQ(c.exitCode == 3,
              run.err.find("vorlix-cli: Novell Client not installed?\n") != std::string::npos)
        << c.name;
  }
  EXPECT_EQ(
      RunCli({"--config", dir + "/vorlix-utf16.ini", "tree"})
          .err.rfind("vorlix-cli: " + dir + "/vorlix-utf16.ini:1: the file is UTF-16 text", 0),
      0u);
  // --source names the directory itself.
  EXPECT_EQ(
      RunCli({"--config", dir + "/vorlix-nosource.ini", "--source", dir + "/other.ldif", "tree"})
          .out,
      "OTHER\n");

  std::ofstream(dir + "/malformed.ldif") << "dn: o=x\nchangetype: add\n";
  CliRun malformed = RunCli({"--source", dir + "/malformed.ldif", "tree"});
  EXPECT_EQ(malformed.exitCode, 3);
  EXPECT_EQ(malformed.err, "vorlix-cli: Novell Client not installed?\nvorlix-cli: " + dir +
                               "/malformed.ldif:2: change records (\"changetype:\") are not "
                               "supported\n");
}

}  // namespace
}  // namespace vorlix::cli::testing
