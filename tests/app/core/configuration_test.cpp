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
  EXPECT_TRUE(off.problem.empty());
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
                path + ":11: \"stray\" after the section header is ignored");

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

  // UTF-16, with or without its mark, is named rather than read as garbage.
  const std::string utf16 = std::string("\xFF\xFE[\0S\0Y\0S\0", 10);
  EXPECT_NE(Load(utf16).problem.find(":1: the file is UTF-16 text"), std::string::npos);
  EXPECT_NE(Load(std::string("[\0D\0", 4)).problem.find(":1: the file is UTF-16 text"),
            std::string::npos);

  // The message before the directory opens says when the sample tree stands in.
  const Configuration unclosed = Load("[DIRECTORY\nsource=/srv/tree.ldif\n");
  EXPECT_FALSE(unclosed.hasDirectory);
  const std::string message = ConfigurationMessage(unclosed, DirectorySourceOf(unclosed));
  EXPECT_NE(message.find("vorlix.ini:1: the section header \"[DIRECTORY\" has no closing"),
            std::string::npos)
      << message;
  EXPECT_NE(message.find("the bundled sample tree is opened"), std::string::npos) << message;
  directory::DirectorySource chosen;
  chosen.source = "/srv/tree.ldif";  // given some other way: no word of the sample
  EXPECT_EQ(ConfigurationMessage(unclosed, chosen), unclosed.problem);
  EXPECT_EQ(ConfigurationMessage(Load("[SYSTEM]\n"), DirectorySourceOf(Load(""))), "");
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

TEST_F(CoreConfiguration, BrokenDirectorySectionIsNamedAndIgnored) {
  const auto expectProblem = [&](const std::string& content, const std::string& what) {
    const Configuration c = Load(content);
    EXPECT_FALSE(c.hasDirectory) << content;
    EXPECT_NE(c.problem.find(what), std::string::npos) << c.problem;
  };
  expectProblem("[DIRECTORY]\nsource=a.ldif\nhost=x\n", "unknown key \"host\"");
  expectProblem("[DIRECTORY]\nsource=a.ldif\nsource=b.ldif\n", "given twice");
  expectProblem("[DIRECTORY]\nsource=ldap://x\npassword=secret\n", "password");
  expectProblem("[DIRECTORY]\nbase=o=acme\n", "no \"source\"");
  expectProblem("[DIRECTORY]\n", "no \"source\"");
  expectProblem("[DIRECTORY]\nsource a.ldif\n", "vorlix.ini:2: \"source a.ldif\"");
  expectProblem("[DIRECTORY]\nsource a.ldif\n", "vorlix.ini:1: [DIRECTORY] the section has no");
  expectProblem("[SYSTEM]\n[DIRECTORY]\nsource=a.ldif\nhost=x\n",
                "vorlix.ini:4: [DIRECTORY] unknown key \"host\" (known: source, base, binddn, "
                "starttls, timeout, bind, tls_verify); "
                "the section is not used");

  // The phone settings of an otherwise sound file still apply.
  const Configuration c = Load("[SYSTEM]\nphone=1\n[DIRECTORY]\nsource=a.ldif\nhost=x\n");
  EXPECT_TRUE(c.PhoneChainEnabled);
}

TEST_F(CoreConfiguration, LdapConnectionSettingsAndTheirMistakes) {
  const Configuration set = Load(
      "[DIRECTORY]\nsource=ldaps://dir.example/o=acme\nstarttls=YES\n"
      "timeout=3\n");
  ASSERT_TRUE(set.hasDirectory) << set.problem;
  EXPECT_TRUE(set.directory.startTls);
  EXPECT_EQ(set.directory.timeoutSeconds, 3);
  EXPECT_EQ(set.directory.bind, directory::LdapBind::kSimple);
  EXPECT_EQ(set.directory.tlsVerify, directory::CertificateCheck::kVerify);
  const Configuration plain = Load("[DIRECTORY]\nsource=ldap://dir.example\n");
  EXPECT_FALSE(plain.directory.startTls);
  EXPECT_EQ(plain.directory.timeoutSeconds, 10);
  const Configuration kerberos =
      Load("[DIRECTORY]\nsource=ldap://dc1.example\nbind=GSSAPI\ntls_verify=no\n");
  ASSERT_TRUE(kerberos.hasDirectory) << kerberos.problem;
  EXPECT_EQ(kerberos.directory.bind, directory::LdapBind::kGssapi);
  EXPECT_EQ(kerberos.directory.tlsVerify, directory::CertificateCheck::kSkip);
  EXPECT_EQ(Load("[DIRECTORY]\nsource=ldaps://x\nbind=external\n").directory.bind,
            directory::LdapBind::kExternal);
  for (const char* bad :
       {"starttls=maybe", "timeout=0", "timeout=ten", "timeout=86400", "starttls=no\nstarttls=no",
        "bind=kerberos", "bind=simple\nbind=simple", "tls_verify=never", "tls_verify=off"}) {
    const Configuration c = Load(std::string("[DIRECTORY]\nsource=ldap://x\n") + bad + "\n");
    EXPECT_FALSE(c.hasDirectory) << bad;
    EXPECT_NE(c.problem.find(": [DIRECTORY] \""), std::string::npos) << c.problem;
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
