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

TEST_F(CoreConfiguration, MissingOrBrokenFileGivesTheDefaults) {
  const Configuration missing = LoadConfiguration((dir_ / "none.ini").string(), "/opt/vorlix");
  EXPECT_FALSE(missing.PhoneChainEnabled);
  EXPECT_FALSE(missing.hasDirectory);
  EXPECT_TRUE(missing.problem.empty());

  const Configuration broken = Load("[SYSTEM]\nphone=1\nthis line is broken\n");
  EXPECT_FALSE(broken.PhoneChainEnabled);
  EXPECT_TRUE(broken.problem.empty());  // no directory was asked for: nothing to tell

  // A value too long for one line is not cut silently: the file counts as broken.
  const Configuration longLine =
      Load("[DIRECTORY]\nsource=" + std::string(300, 'x') + ".ldif\n[SYSTEM]\nphone=1\n");
  EXPECT_FALSE(longLine.hasDirectory);
  EXPECT_FALSE(longLine.PhoneChainEnabled);
  EXPECT_NE(longLine.problem.find("line 2"), std::string::npos) << longLine.problem;
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
  expectProblem("[DIRECTORY]\nsource a.ldif\n", "line 2");

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
  const Configuration plain = Load("[DIRECTORY]\nsource=ldap://dir.example\n");
  EXPECT_FALSE(plain.directory.startTls);
  EXPECT_EQ(plain.directory.timeoutSeconds, 10);
  for (const char* bad : {"starttls=maybe", "timeout=0", "timeout=ten", "timeout=86400",
                          "starttls=no\nstarttls=no"}) {
    const Configuration c = Load(std::string("[DIRECTORY]\nsource=ldap://x\n") + bad + "\n");
    EXPECT_FALSE(c.hasDirectory) << bad;
    EXPECT_NE(c.problem.find("[DIRECTORY] line"), std::string::npos) << c.problem;
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
  EXPECT_NE(c.problem.find("[NAMES] line 5 is not \"Program Name=ldapName\""), std::string::npos)
      << c.problem;
  EXPECT_NE(c.problem.find("[NAMES] line 6 maps \"Description\""), std::string::npos);

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
