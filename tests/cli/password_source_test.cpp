#include "cli/password_source.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vorlix::cli {
namespace {

directory::DirectorySource Bound(const std::string& source = "ldap://dir.example/o=acme") {
  directory::DirectorySource s;
  s.source = source;
  s.bindDn = "cn=admin,o=acme";
  return s;
}

// Sources whose environment and terminal say what the test wants, recording the prompts.
struct Fake {
  std::optional<std::string> environment;
  std::optional<std::string> typed;
  std::vector<std::string> prompts;
  PasswordSources Sources(const std::string& file = "") {
    PasswordSources s;
    s.passwordFile = file;
    s.environment = [this] { return environment; };
    s.prompt = [this](const std::string& prompt) {
      prompts.push_back(prompt);
      return typed;
    };
    return s;
  }
};

TEST(CliPasswordTest, FileThenEnvironmentThenTerminal) {
  const std::string file = ::testing::TempDir() + "/cli-password-test-file";
  std::ofstream(file) << "from file\r\nsecond line\n";
  Fake fake{"from environment", "typed", {}};
  std::string problem;
  EXPECT_EQ(ReadPassword(fake.Sources(file), Bound(), problem), "from file");
  EXPECT_EQ(ReadPassword(fake.Sources(), Bound(), problem), "from environment");
  fake.environment.reset();
  EXPECT_EQ(ReadPassword(fake.Sources(), Bound(), problem), "typed");
  EXPECT_EQ(fake.prompts, std::vector<std::string>{
                              "Password for cn=admin,o=acme at ldap://dir.example/o=acme: "});
}

TEST(CliPasswordTest, NoPasswordIsToldNotGuessed) {
  Fake fake;
  std::string problem;
  EXPECT_FALSE(ReadPassword(fake.Sources(), Bound(), problem));
  EXPECT_NE(problem.find("needs a password"), std::string::npos);
  EXPECT_FALSE(ReadPassword(fake.Sources("/nonexistent/password"), Bound(), problem));
  EXPECT_NE(problem.find("cannot read the password file"), std::string::npos) << problem;
  const std::string empty = ::testing::TempDir() + "/cli-password-test-empty";
  std::ofstream(empty) << "\n";
  EXPECT_FALSE(ReadPassword(fake.Sources(empty), Bound(), problem));
  fake.environment = "";
  EXPECT_FALSE(ReadPassword(fake.Sources(), Bound(), problem));
  EXPECT_NE(problem.find("set but empty"), std::string::npos);
}

TEST(CliPasswordTest, OnlyABoundServerAsks) {
  Fake fake{"secret", {}, {}};
  std::ostringstream err;
  directory::DirectorySource anonymous = Bound();
  anonymous.bindDn.clear();
  directory::DirectorySource file = Bound("/srv/tree.ldif");
  directory::DirectorySource bound = Bound("LDAPS://dir.example");
  EXPECT_TRUE(SupplyPassword(anonymous, fake.Sources(), err));
  EXPECT_TRUE(SupplyPassword(file, fake.Sources(), err));
  EXPECT_TRUE(anonymous.password.empty() && file.password.empty());
  EXPECT_TRUE(SupplyPassword(bound, fake.Sources(), err));
  EXPECT_EQ(bound.password, "secret");
  fake.environment.reset();
  directory::DirectorySource unanswered = Bound();
  EXPECT_FALSE(SupplyPassword(unanswered, fake.Sources(), err));
  EXPECT_NE(err.str().find("vorlix-cli: binding as cn=admin,o=acme needs a password"),
            std::string::npos);
}

}  // namespace
}  // namespace vorlix::cli
