#include "app/core/configuration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace vorlix::core {
namespace {

namespace fs = std::filesystem;

class CoreConfiguration : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vorlix-config-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Configuration Load(const std::string& content) {
    const fs::path file = dir_ / "vorlix.ini";
    std::ofstream(file, std::ios::binary) << content;
    return LoadConfiguration(file.string(), "/opt/vorlix");
  }

  fs::path dir_;
};

TEST_F(CoreConfiguration, PhoneIsAnIntegerAndAnythingElseCountsZero) {
  EXPECT_FALSE(Load("[SYSTEM]\nphone=yes\n[PHONE]\n1=L\n").PhoneChainEnabled);
  EXPECT_FALSE(Load("[SYSTEM]\nphone=0\n[PHONE]\n1=L\n").PhoneChainEnabled);
  EXPECT_FALSE(Load("[SYSTEM]\nphone=1x\n").PhoneChainEnabled);
  EXPECT_FALSE(Load("[PHONE]\n1=L\n").PhoneChainEnabled);
  EXPECT_TRUE(Load("[SYSTEM]\nphone=-3\n").PhoneChainEnabled);
  EXPECT_TRUE(Load("[system]\nPhone = 2 \n").PhoneChainEnabled);  // names ignore case
  const Configuration off = Load("[SYSTEM]\nphone=yes\n[PHONE]\n1=L\n");
  EXPECT_TRUE(off.PhoneAttributes.empty());
  EXPECT_NE(off.problem.find(":2: [SYSTEM] \"phone\" must be a whole number (0: off, any other: "
                             "on), not \"yes\"; the line is skipped"),
            std::string::npos)
      << off.problem;
  // The first usable value wins.
  EXPECT_TRUE(Load("[SYSTEM]\nphone=yes\nphone=1\n").PhoneChainEnabled);
  EXPECT_FALSE(Load("[SYSTEM]\nphone=0\nphone=1\n").PhoneChainEnabled);
}

TEST_F(CoreConfiguration, PhoneChainKeepsFileOrder) {
  const Configuration c =
      Load("; chain\n[PHONE]\n2=L\n1=Telephone Number\nx=\n[SYSTEM]\nphone=1\n");
  EXPECT_TRUE(c.PhoneChainEnabled);
  EXPECT_EQ(c.PhoneAttributes, (std::vector<std::string>{"L", "Telephone Number", ""}));

  const Configuration noSection = Load("[SYSTEM]\nphone=1\n");
  EXPECT_TRUE(noSection.PhoneChainEnabled);
  EXPECT_TRUE(noSection.PhoneAttributes.empty());
  EXPECT_TRUE(Load("[SYSTEM]\nphone=1\n[PHONE]\n").PhoneAttributes.empty());

  // Indented entries are entries of their own, not more of the value above them.
  const Configuration indented =
      Load("[SYSTEM]\n  x=0\n  phone=1\n[PHONE]\n  1=L\n\t2=Telephone Number\n");
  EXPECT_TRUE(indented.PhoneChainEnabled);
  EXPECT_EQ(indented.PhoneAttributes, (std::vector<std::string>{"L", "Telephone Number"}));
}

TEST_F(CoreConfiguration, UnreadableLinesAreSkippedOneByOneAndNamed) {
  const std::string path = (dir_ / "vorlix.ini").string();
  const Configuration c = Load(
      "[SYSTEM]\n"
      "this line is broken\n"  // 2: no "="
      "; " +
      std::string(300, 'c') +
      "\n"                    // a long comment is a comment
      "phone=1 ; chain on\n"  // 4: the comment after a blank goes
      "[PHONE\n"              // 5: unclosed: its entries are skipped
      "1=not a phone attribute\n"
      "[PHONE]\n"
      "=nameless\n"  // 8
      "1=" +
      std::string(5000, 'L') +
      "\n"                     // any length
      "2: Telephone Number\n"  // 10: ":" is no separator
      "[ SYSTEM ] stray\n"     // 11: text after the header
      "x=1\r\n");
  EXPECT_TRUE(c.PhoneChainEnabled);
  EXPECT_EQ(c.PhoneAttributes, std::vector<std::string>{std::string(5000, 'L')});
  EXPECT_EQ(c.problem,
            path +
                ":2: \"this line is broken\" is neither a [section] header nor a key=value "
                "entry; the line is skipped\n" +
                path +
                ":5: the section header \"[PHONE\" has no closing \"]\"; the entries "
                "under it, up to the next section, are skipped\n" +
                path + ":8: \"=nameless\" has no key before \"=\"; the line is skipped\n" + path +
                ":10: \"2: Telephone Number\" is neither a [section] header nor a "
                "key=value entry; the line is skipped\n" +
                path + ":11: \"stray\" after the section header is ignored\n" + path +
                ":11: [SYSTEM] appears again (first on line 1); its entries are merged into that "
                "section\n" +
                path + ":12: [SYSTEM] unknown key \"x\" (known: phone); the line is skipped");

  // Entries before the first header, NUL bytes, and the count beyond ten problems.
  std::string many = "phone=1\n[SYSTEM]\nphone=1\nx" + std::string(1, '\0') + "=1\n";
  for (int i = 0; i < 11; ++i) many += "broken\n";
  const Configuration counted = Load(many);
  EXPECT_TRUE(counted.PhoneChainEnabled);
  EXPECT_NE(counted.problem.find(path + ":1: the entry \"phone\" comes before any [section]"),
            std::string::npos)
      << counted.problem;
  EXPECT_NE(counted.problem.find(path + ":4: the line holds a NUL byte"), std::string::npos);
  EXPECT_NE(counted.problem.find(path + ": 3 more lines with problems"), std::string::npos);
  EXPECT_TRUE(Load("\xEF\xBB\xBF[SYSTEM]\r\nphone=1\r\n").problem.empty());
}

TEST_F(CoreConfiguration, FilesThatCannotBeReadAreNamedAndNeverSilentlyReplaced) {
  const Configuration missing = LoadConfiguration((dir_ / "none.ini").string(), "/opt/vorlix");
  EXPECT_FALSE(missing.PhoneChainEnabled);
  EXPECT_FALSE(missing.hasDirectory);
  EXPECT_TRUE(missing.problem.empty());  // no file beside the program: the defaults, quietly
  EXPECT_NE(ConfigurationFileProblem((dir_ / "none.ini").string()).find("No such file"),
            std::string::npos);

  const Configuration folder = LoadConfiguration(dir_.string(), "/opt/vorlix");
  EXPECT_EQ(folder.problem, dir_.string() + ": cannot open the file: it is a folder");
  EXPECT_EQ(ConfigurationFileProblem(dir_.string()), folder.problem);

  // A file that cannot be read may name a directory: none opens, the sample tree least of all.
  EXPECT_FALSE(OpensSampleTree(DirectorySourceOf(folder)));
  EXPECT_EQ(
      DirectorySourceOf(folder).refusal,
      dir_.string() + ": the configuration cannot be read, so the directory it names is not known");

  // UTF-16, with or without its mark, is named rather than read as garbage.
  const std::string utf16 = std::string("\xFF\xFE[\0S\0Y\0S\0", 10);
  EXPECT_NE(Load(utf16).problem.find(":1: the file is UTF-16 text"), std::string::npos);
  EXPECT_FALSE(OpensSampleTree(DirectorySourceOf(Load(utf16))));
  EXPECT_NE(Load(std::string("[\0D\0", 4)).problem.find(":1: the file is UTF-16 text"),
            std::string::npos);

  // A directory section that cannot be used opens no directory; the message says why the
  // section's lines were skipped, and never that the sample tree stands in.
  for (const char* content : {"[DIRECTORY\nsource=/srv/tree.ldif\n", "[DIRECTORY]\n",
                              "[DIRECTORY]\nbase=o=acme\nsource=\n"}) {
    const Configuration unusable = Load(content);
    EXPECT_FALSE(unusable.hasDirectory) << content;
    const directory::DirectorySource source = DirectorySourceOf(unusable);
    EXPECT_FALSE(OpensSampleTree(source)) << content;
    EXPECT_EQ(source.refusal, (dir_ / "vorlix.ini").string() +
                                  ":1: the [DIRECTORY] section names no usable \"source\", so "
                                  "no directory is opened");
    EXPECT_EQ(ConfigurationMessage(unusable, source), unusable.problem);
  }
  EXPECT_NE(Load("[DIRECTORY\nsource=/srv/tree.ldif\n")
                .problem.find("vorlix.ini:1: the section header \"[DIRECTORY\" has no closing"),
            std::string::npos);

  // Without a directory section the sample tree opens, and a message with other problems says so.
  const Configuration system = Load("[SYSTEM]\nphone=on\n");
  EXPECT_TRUE(OpensSampleTree(DirectorySourceOf(system)));
  EXPECT_NE(ConfigurationMessage(system, DirectorySourceOf(system))
                .find("\nNo directory is configured, so the bundled sample tree is opened."),
            std::string::npos);
  directory::DirectorySource chosen;
  chosen.source = "/srv/tree.ldif";  // given some other way: no word of the sample
  EXPECT_EQ(ConfigurationMessage(system, chosen), system.problem);
  EXPECT_EQ(ConfigurationMessage(Load("[SYSTEM]\n"), DirectorySourceOf(Load(""))), "");
}

TEST_F(CoreConfiguration, AFileBeyondTheSizeLimitOrADeviceIsRefusedUnread) {
  // A directory, then comment lines up to exactly the limit: read. One byte more: refused.
  std::string text = "[DIRECTORY]\nsource=/srv/tree.ldif\n";
  const std::string comment = ";" + std::string(62, 'c') + "\n";
  while (text.size() + comment.size() <= kMaxConfigurationBytes) text += comment;
  text += std::string(kMaxConfigurationBytes - text.size(), '\n');
  EXPECT_TRUE(Load(text).hasDirectory) << Load(text).problem;
  const Configuration over = Load(text + "\n");
  EXPECT_FALSE(over.hasDirectory);
  EXPECT_EQ(over.problem,
            (dir_ / "vorlix.ini").string() + ": cannot read the file: it is larger than 1 MB");
  EXPECT_EQ(LoadConfiguration("/dev/zero", "/opt/vorlix").problem,
            "/dev/zero: cannot open the file: it is a character device, not a file");
}

TEST_F(CoreConfiguration, DirectorySectionChoosesTheSource) {
  const Configuration relative = Load("[DIRECTORY]\nsource = trees/office.ldif\n");
  EXPECT_TRUE(relative.hasDirectory);
  EXPECT_EQ(relative.directory.source, "/opt/vorlix/trees/office.ldif");
  EXPECT_EQ(DirectorySourceOf(relative).source, "/opt/vorlix/trees/office.ldif");

  const Configuration ldap =
      Load("[DIRECTORY]\nsource=ldap://dir.example:389\nbase=o=acme\nbinddn=cn=admin,o=acme\n");
  EXPECT_TRUE(ldap.hasDirectory);
  EXPECT_EQ(ldap.directory.source, "ldap://dir.example:389");
  EXPECT_EQ(ldap.directory.base, "o=acme");
  EXPECT_EQ(ldap.directory.bindDn, "cn=admin,o=acme");
  EXPECT_TRUE(ldap.directory.password.empty());

  EXPECT_EQ(Load("[DIRECTORY]\nsource=/srv/tree.ldif\n").directory.source, "/srv/tree.ldif");
  EXPECT_FALSE(Load("").hasDirectory);
  EXPECT_NE(DirectorySourceOf(Load("")).source.find("sample-tree.ldif"), std::string::npos);
}

TEST_F(CoreConfiguration, EachUnusableLineIsSkippedAndTheRestOfItsSectionApplies) {
  struct Case {
    std::string content;
    std::string problem;  // the one line told, after "vorlix.ini:"
  };
  const std::string known =
      "(known: source, base, binddn, starttls, timeout, bind, tls_verify); the line is skipped";
  const std::vector<Case> cases = {
      {"[DIRECTORY]\nsource=a.ldif\ntimeot=5\nbase=o=x\n",
       "3: [DIRECTORY] unknown key \"timeot\" " + known},
      {"[DIRECTORY]\nsource=a.ldif\nsource=b.ldif\nbase=o=x\n",
       "3: [DIRECTORY] \"source\" is given again; the value of line 2 is used; the line is "
       "skipped"},
      {"[DIRECTORY]\nsource=a.ldif\npassword=secret\nbase=o=x\n",
       "3: [DIRECTORY] \"password\" is refused: passwords are never stored in the configuration "
       "file (the window asks for it; vorlix-cli reads --password-file or VORLIX_LDAP_PASSWORD); "
       "the line is skipped"},
      {"[DIRECTORY]\nsource=a.ldif\ntimeout=abc\nbase=o=x\n",
       "3: [DIRECTORY] \"timeout\" must be a number of seconds from 1 to 3600, not \"abc\"; the "
       "line is skipped"},
      {"[DIRECTORY]\nsource=a.ldif\n[SYSTEM]\nphone=0\n[directory]\nbase=o=x\n",
       "5: [DIRECTORY] appears again (first on line 1); its entries are merged into that "
       "section"},
      {"[DIRECTORY]\rsource=a.ldif\r\rbase=o=x\rtimeout=abc\r",
       "5: [DIRECTORY] \"timeout\" must be a number of seconds from 1 to 3600, not \"abc\"; the "
       "line is skipped"},
      {"[DIRECTORY]\r\nsource=a.ldif\r\nbind=kerberos\r\nbase=o=x\r\n",
       "3: [DIRECTORY] \"bind\" must be simple, gssapi or external, not \"kerberos\"; the line is "
       "skipped"},
      {"[TOOLS]\nsource=x\n[DIRECTORY]\nsource=a.ldif\nbase=o=x\n",
       "1: unknown section [TOOLS] (known: SYSTEM, PHONE, DIRECTORY, NAMES); its entries are "
       "skipped"},
  };
  for (const Case& c : cases) {
    const Configuration config = Load(c.content);
    EXPECT_EQ(config.problem, (dir_ / "vorlix.ini").string() + ":" + c.problem) << c.content;
    EXPECT_TRUE(config.hasDirectory) << c.content;
    EXPECT_EQ(config.directory.source, "/opt/vorlix/a.ldif") << c.content;
    EXPECT_EQ(config.directory.base, "o=x") << c.content;
    EXPECT_EQ(config.directory.timeoutSeconds, 10) << c.content;
    EXPECT_TRUE(config.directory.password.empty()) << c.content;
    EXPECT_FALSE(OpensSampleTree(DirectorySourceOf(config))) << c.content;
  }

  // The phone settings of an otherwise broken file still apply.
  const Configuration c = Load("[SYSTEM]\nphone=1\n[DIRECTORY]\nsource=a.ldif\nhost=x\n");
  EXPECT_TRUE(c.PhoneChainEnabled);
}

TEST_F(CoreConfiguration, LdapConnectionSettingsAndTheirMistakes) {
  const Configuration set = Load(
      "[DIRECTORY]\nsource=ldaps://dir.example/o=acme\nstarttls=YES\n"
      "timeout=3\nbind=GSSAPI\ntls_verify=no\n");
  ASSERT_TRUE(set.hasDirectory) << set.problem;
  EXPECT_TRUE(set.problem.empty()) << set.problem;
  EXPECT_TRUE(set.directory.startTls);
  EXPECT_EQ(set.directory.timeoutSeconds, 3);
  EXPECT_EQ(set.directory.bind, directory::BindMethod::kGssapi);
  EXPECT_FALSE(set.directory.tlsVerify);
  const Configuration plain = Load("[DIRECTORY]\nsource=ldap://dir.example\nbind=external\n");
  EXPECT_FALSE(plain.directory.startTls);
  EXPECT_EQ(plain.directory.timeoutSeconds, 10);
  EXPECT_EQ(plain.directory.bind, directory::BindMethod::kExternal);
  EXPECT_TRUE(plain.directory.tlsVerify);
  for (const char* bad : {"starttls=maybe", "timeout=0", "timeout=ten", "timeout=86400",
                          "tls_verify=off-ish", "tls_verify=never", "bind=kerberos"}) {
    const Configuration c = Load(std::string("[DIRECTORY]\nsource=ldap://x\n") + bad + "\n");
    EXPECT_TRUE(c.hasDirectory) << bad;
    EXPECT_NE(c.problem.find(":3: [DIRECTORY] \""), std::string::npos) << c.problem;
    EXPECT_EQ(c.directory.timeoutSeconds, 10);
    EXPECT_TRUE(c.directory.tlsVerify);
  }
}

TEST_F(CoreConfiguration, NamesSectionMapsSingleNamesForEitherDirectory) {
  // Names with colons stay whole; the mapping reaches the sample tree as well as a server.
  const Configuration c = Load(
      "[NAMES]\nTelephone Number = mobile\nWM:NAME User=registeredUser\n"
      "Group=groupOfUniqueNames\nWM:Last Registered Time\nDescription=not a name\n");
  EXPECT_EQ(c.names, (std::map<std::string, std::string>{{"Telephone Number", "mobile"},
                                                         {"WM:NAME User", "registeredUser"},
                                                         {"Group", "groupOfUniqueNames"}}));
  EXPECT_EQ(DirectorySourceOf(c).names, c.names);
  EXPECT_FALSE(c.hasDirectory);
  // Each line that does not map a name is named and skipped.
  EXPECT_NE(c.problem.find("vorlix.ini:5: \"WM:Last Registered Time\" is neither"),
            std::string::npos)
      << c.problem;
  EXPECT_NE(c.problem.find("vorlix.ini:6: [NAMES] \"Description\" is mapped to \"not a name\""),
            std::string::npos);
  // A name mapped twice keeps its first mapping, in any letter case.
  const Configuration twice = Load("[NAMES]\nTelephone Number=mobile\ntelephone number=pager\n");
  EXPECT_EQ(twice.names, (std::map<std::string, std::string>{{"Telephone Number", "mobile"}}));
  EXPECT_NE(twice.problem.find(":3: [NAMES] \"telephone number\" is given again; the value of "
                               "line 2 is used; the line is skipped"),
            std::string::npos)
      << twice.problem;

  const Configuration both =
      Load("[DIRECTORY]\nsource=ldap://x\n[NAMES]\nTelephone Number=mobile\n");
  EXPECT_EQ(DirectorySourceOf(both).names.at("Telephone Number"), "mobile");
  EXPECT_TRUE(both.problem.empty()) << both.problem;
}

TEST_F(CoreConfiguration, ApplyingTheChainReplacesOnlyWhenOn) {
  AppState state;
  state.PhoneAttributes = {"old"};
  ApplyPhoneSettings(Load("[SYSTEM]\nphone=0\n"), state);
  EXPECT_FALSE(state.PhoneChainEnabled);
  EXPECT_EQ(state.PhoneAttributes, (std::vector<std::string>{"old"}));
  ApplyPhoneSettings(Load("[SYSTEM]\nphone=1\n[PHONE]\na=L\n"), state);
  EXPECT_TRUE(state.PhoneChainEnabled);
  EXPECT_EQ(state.PhoneAttributes, (std::vector<std::string>{"L"}));
}

}  // namespace
}  // namespace vorlix::core
