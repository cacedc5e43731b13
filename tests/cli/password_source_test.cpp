#include "cli/password_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
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
  const MessagePrinter messages(err);
  directory::DirectorySource anonymous = Bound();
  anonymous.bindDn.clear();
  directory::DirectorySource file = Bound("/srv/tree.ldif");
  directory::DirectorySource bound = Bound("LDAPS://dir.example");
  EXPECT_TRUE(SupplyPassword(anonymous, fake.Sources(), messages));
  EXPECT_TRUE(SupplyPassword(file, fake.Sources(), messages));
  EXPECT_TRUE(anonymous.password.empty() && file.password.empty());
  EXPECT_TRUE(SupplyPassword(bound, fake.Sources(), messages));
  EXPECT_EQ(bound.password, "secret");
  fake.environment.reset();
  directory::DirectorySource unanswered = Bound();
  EXPECT_FALSE(SupplyPassword(unanswered, fake.Sources(), messages));
  EXPECT_NE(err.str().find("vorlix-cli: binding as cn=admin,o=acme needs a password"),
            std::string::npos);
}

TEST(CliPasswordTest, APasswordFileIsReadWithinItsLimitAndOnlyFromAFileOrAPipe) {
  const std::string dir = ::testing::TempDir();
  const std::string full = dir + "/cli-password-test-full-" + std::to_string(getpid());
  const std::string over = dir + "/cli-password-test-over-" + std::to_string(getpid());
  const std::string line = "secret\n";
  std::ofstream(full) << line << std::string(kMaxPasswordFileBytes - line.size(), 'x');
  std::ofstream(over) << line << std::string(kMaxPasswordFileBytes - line.size() + 1, 'x');
  // A pipe, as the shell's <(...) hands one over.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(write(ends[1], "piped\r\nrest", 11), 11);
  close(ends[1]);
  const std::string piped = "/dev/fd/" + std::to_string(ends[0]);
  struct Case {
    std::string file;
    std::optional<std::string> password;
    std::string problem;
  };
  const Case cases[] = {
      {full, "secret", ""},
      {piped, "piped", ""},
      {over, std::nullopt, "cannot read the file: it is larger than 64 KB"},
      {dir, std::nullopt, "cannot open the file: it is a folder"},
      {"/dev/zero", std::nullopt, "cannot open the file: it is a character device, not a file"},
  };
  Fake fake;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string problem;
    EXPECT_EQ(ReadPassword(fake.Sources(c.file), Bound(), problem), c.password);
    if (!c.problem.empty()) {
      EXPECT_EQ(problem, "cannot read the password file \"" + c.file + "\": " + c.problem);
    }
  }
  close(ends[0]);
  std::remove(full.c_str());
  std::remove(over.c_str());
}

}  // namespace
}  // namespace vorlix::cli
