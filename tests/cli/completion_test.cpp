#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

// The completions bash offers for a command line whose last word is being completed, one a line.
std::string Complete(const std::string& words) {
  const std::string out = ::testing::TempDir() + "/completion-" + std::to_string(getpid());
  const std::string script =
      "source " + ShellQuoted(VORLIX_SOURCE_DIR "/src/cli/bash_completion.sh") + "\nCOMP_WORDS=(" +
      ShellQuoted(VORLIX_BINARY_DIR "/vorlix-cli") + " " + words +
      ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_vorlix_cli\n"
      "if ((${#COMPREPLY[@]})); then printf '%s\\n' \"${COMPREPLY[@]}\"; fi\n";
  EXPECT_EQ(Shell("bash -c " + ShellQuoted(script) + " >" + ShellQuoted(out)), 0) << words;
  const std::string offered = ReadFile(out);
  std::remove(out.c_str());
  return offered;
}

TEST(BashCompletion, CommandsOptionsAndTheirChoices) {
  EXPECT_EQ(Complete("''"), "tree\nfind\nread\nmembers\nmailto\nexport\n");
  EXPECT_EQ(Complete("me"), "members\n");
  EXPECT_EQ(Complete("--so"), "--source\n");
  EXPECT_EQ(Complete("members --"),
            "--config\n--format\n--help\n--kind\n--password-file\n--pick\n--quiet\n--source\n"
            "--version\n");
  EXPECT_EQ(Complete("read --l"), "--list\n");
  EXPECT_EQ(Complete("find --kind w"), "workstation\n");
  EXPECT_EQ(Complete("members --format ''"), "tsv\ncsv\njson\n");
  EXPECT_EQ(Complete("export --format ''"), "csv\nxls\nxlsx\npdf\ntxt\ndif\nsylk\n");
  EXPECT_EQ(Complete("--config " + ShellQuoted(VORLIX_SOURCE_DIR "/READ")),
            VORLIX_SOURCE_DIR "/README.md\n");
}

TEST(BashCompletion, NamesComeFromTheDirectory) {
  // Common names for the TEXT, quoted for the shell; full names for --pick.
  EXPECT_EQ(Complete("members --kind group Sal"), "Sales\nSales\\ East\nSales\\ West\n");
  EXPECT_EQ(Complete("members --kind group 'Sales\\ W'"), "Sales\\ West\n");
  EXPECT_EQ(Complete("export --kind group Sales --pick ''"),
            "Sales\\ East.groups.harbourline\nSales\\ West.groups.harbourline\n"
            "Sales.groups.harbourline\n");
  // The source given on the line is the one asked.
  EXPECT_EQ(Complete("--source " + ShellQuoted(VORLIX_TEST_DATA_DIR "/cli/odd-values.ldif") +
                     " mailto --kind group O"),
            "Odd\n");
  // No kind yet, or a command without names: nothing to offer.
  EXPECT_EQ(Complete("members Sal"), "");
  EXPECT_EQ(Complete("tree ''"), "");
}

}  // namespace
}  // namespace vorlix::cli::testing
