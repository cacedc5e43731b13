#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/caption.h"
#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

const std::vector<std::string> kCommands = {"tree", "find", "read", "members", "mailto", "export"};
const std::vector<std::string> kSalesLookup = {"--kind", "group", "Sales", "--pick",
                                               "Sales.groups.harbourline"};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(CliCommandLine, HelpForTheProgramAndEachCommandGoesToStdoutAndExitsZero) {
  const CliRun top = RunCli({"--help"});
  EXPECT_EQ(top.exitCode, 0);
  EXPECT_EQ(top.err, "");
  for (const std::string& command : kCommands) {
    EXPECT_NE(top.out.find("  " + command + " "), std::string::npos) << command;
    const CliRun help = RunCli({command, "--help"});
    EXPECT_EQ(help.exitCode, 0) << command << help.err;
    EXPECT_NE(help.out.find("Usage: vorlix-cli " + command), std::string::npos) << help.out;
  }
  // Help wins over the missing arguments of the command it is asked for.
  const CliRun exportHelp = RunCli({"export", "-h"});
  EXPECT_EQ(exportHelp.exitCode, 0);
  EXPECT_NE(exportHelp.out.find("--format csv|xls|xlsx|pdf|txt|dif|sylk"), std::string::npos);
  EXPECT_NE(exportHelp.out.find("--output"), std::string::npos);
}

TEST(CliCommandLine, VersionIsTheCaptionsVersion) {
  const CliRun version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("vorlix-cli ") + core::kCaptionVersion + "\n");
}

TEST(CliCommandLine, UsageErrorsNameTheBadArgumentAndShowTheCommandsUsage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{}, "no command given"},
      {{"lookup"}, "unknown command \"lookup\""},
      {{"--verbose", "tree"}, "unknown option \"--verbose\""},
      {{"find", "--kind", "group", "-x"}, "unknown option \"-x\""},
      {{"tree", "extra"}, "unexpected argument \"extra\""},
      {{"find", "Sales"}, "--kind is required"},
      {{"find", "--kind", "printer", "x"}, "--kind: \"printer\" is not one of group, workstation"},
      {{"members", "--kind", "group", "x", "--format", "xml"},
       "--format: \"xml\" is not one of tsv, csv, json"},
      {{"read", "Sales.groups.harbourline"}, "ATTRIBUTE is required"},
      {{"read", "--list", "--integer", "a", "b"}, "--list excludes --integer"},
      {{"export", "--kind", "group", "Sales", "--format", "csv"}, "--output is required"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.exitCode, 64) << c.message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("vorlix-cli: " + c.message, 0), 0u) << run.err;
  }
  // The usage shown is the failing command's own; without a command, every command's.
  const CliRun find = RunCli({"find", "Sales"});
  EXPECT_NE(find.err.find("\nusage: vorlix-cli [--config FILE] [--source SOURCE] [--password-file "
                          "FILE] [--quiet] find --kind group|workstation TEXT\n"),
            std::string::npos)
      << find.err;
  const CliRun none = RunCli({});
  for (const std::string& command : kCommands) {
    EXPECT_NE(none.err.find("\n  " + command), std::string::npos) << command;
  }
}

TEST(CliCommandLine, AnOperandThatLooksLikeAnOptionGoesAfterTheSeparator) {
  const CliRun run = RunCli({"find", "--kind", "group", "--", "-x"});
  EXPECT_EQ(run.exitCode, 1) << run.err;  // searched, and nothing begins with "-x"
}

TEST(CliCommandLine, GlobalOptionsMayFollowTheCommand) {
  const CliRun run = RunCli({"tree", "--source", VORLIX_DATA_DIR "/sample-tree.ldif"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "HARBOURLINE_TREE\n");
}

TEST(CliCommandLine, ASingleValueOptionGivenTwiceIsAUsageError) {
  const std::string output = ::testing::TempDir() + "/twice.csv";
  const std::vector<std::vector<std::string>> repeats = {
      {"--format", "csv", "--format", "xls", "--output", output},
      {"--format", "csv", "--output", output, "--output", output + ".2"},
      {"--format", "csv", "--output", output, "--pick", "Sales East.groups.harbourline"},
  };
  for (const auto& repeat : repeats) {
    const CliRun run = RunCli(Joined(Joined({"export"}, kSalesLookup), repeat));
    EXPECT_EQ(run.exitCode, 64) << run.err;
    EXPECT_NE(run.err.find(" is given more than once"), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFile(output), "");  // nothing was written before the refusal

  EXPECT_EQ(RunCli({"members", "--kind", "group", "--kind", "workstation", "x"}).exitCode, 64);
  EXPECT_EQ(
      RunCli(Joined(Joined({"members"}, kSalesLookup), {"--format", "csv", "--format", "json"}))
          .exitCode,
      64);
  const CliRun config = RunCli({"--config", "a.ini", "--config", "b.ini", "tree"});
  EXPECT_EQ(config.exitCode, 64);
  EXPECT_NE(config.err.find("--config is given more than once"), std::string::npos);
  // A flag said twice is still the same request.
  EXPECT_EQ(
      RunCli({"read", "--list", "--list", "Sales West.groups.harbourline", "Member"}).exitCode, 0);
}

TEST(CliCommandLine, ReadRefusesOverlongNamesAsBadInput) {
  const CliRun object = RunCli({"read", std::string(513, 'o'), "CN"});
  EXPECT_EQ(object.exitCode, 64);
  EXPECT_NE(object.err.find("Object name is 513 characters long; at most 512"), std::string::npos)
      << object.err;
  const CliRun attribute = RunCli({"read", "Sales.groups.harbourline", std::string(201, 'a')});
  EXPECT_EQ(attribute.exitCode, 64);
  EXPECT_NE(attribute.err.find("Attribute name is 201"), std::string::npos) << attribute.err;
  // At the limit the name is asked for, and the directory says it is not there.
  EXPECT_EQ(RunCli({"read", std::string(512, 'o'), "CN"}).exitCode, 3);
}

}  // namespace
}  // namespace vorlix::cli::testing
