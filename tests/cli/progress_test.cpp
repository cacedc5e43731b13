// The progress line of a long export on a generated tree: on a terminal's stderr it shows the
// members read and the rows written and is blanked out at the end; --quiet and a stderr that is
// no terminal get none of it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <regex>

#include "../app/core/generated_tree.h"
#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

constexpr int kMembers = 10000;

class CliProgress : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new std::string(vorlix::testing::WriteGeneratedTree(TempFile("tree.ldif"), kMembers));
  }
  static void TearDownTestSuite() {
    std::remove(tree_->c_str());
    delete tree_;
  }
  // A file of this test process: tests run side by side.
  static std::string TempFile(const std::string& name) {
    return ::testing::TempDir() + "/cli-progress-" + std::to_string(getpid()) + "-" + name;
  }
  static std::vector<std::string> Export(const std::string& output, bool quiet) {
    std::vector<std::string> args = {"--source", *tree_,     "export", "--kind",   "group",
                                     "Everyone", "--format", "csv",    "--output", output};
    if (quiet) args.push_back("--quiet");
    return args;
  }
  static std::string* tree_;
};
std::string* CliProgress::tree_ = nullptr;

TEST_F(CliProgress, ATerminalSeesTheCountsUntilTheWorkIsDone) {
  const std::string output = TempFile("terminal.csv");
  const auto start = std::chrono::steady_clock::now();
  const CliRun run = RunCliOnTerminal(Export(output, false));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.exitCode, 0) << run.out;
  // Nothing but progress lines, each written from the start of the line, and at the end the
  // line blanked out: the shell's prompt starts on an empty line.
  static const std::regex kOnlyProgress(
      "(\\rvorlix-cli: ([0-9]+ of 10000 (members read|rows written)|finishing the file: [0-9]+%) "
      "*)*"
      "(\\r +\\r(\\rvorlix-cli: ([0-9]+ of 10000 (members read|rows written)|finishing the file: "
      "[0-9]+%) *)*)*");
  EXPECT_TRUE(std::regex_match(run.out, kOnlyProgress)) << run.out;
  // The line turns to the finishing of the file as soon as the last row is written, and it is
  // still there when the file is saved.
  EXPECT_NE(run.out.find("\rvorlix-cli: finishing the file: 100%"), std::string::npos) << run.out;
  // The first report comes a tenth of a second into the work; a run this long has had some.
  if (took > std::chrono::milliseconds(600)) {
    EXPECT_NE(run.out.find(" of 10000 members read"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.back(), '\r');
  }
  const std::string written = ReadFile(output);
  size_t lines = 0;
  for (size_t at = 0; (at = written.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, static_cast<size_t>(kMembers + 1));
  std::remove(output.c_str());
}

TEST_F(CliProgress, QuietOrNoTerminalGetsNoProgressLine) {
  const std::string output = TempFile("quiet.csv");
  const CliRun quiet = RunCliOnTerminal(Export(output, true));
  EXPECT_EQ(quiet.exitCode, 0) << quiet.out;
  EXPECT_EQ(quiet.out, "");
  const std::string written = ReadFile(output);
  EXPECT_EQ(written.rfind("\"User\";\"Phone\";", 0), 0u);

  const CliRun logged = RunCli(Export(output, false));
  EXPECT_EQ(logged.exitCode, 0) << logged.err;
  EXPECT_EQ(logged.err, "");
  EXPECT_EQ(ReadFile(output), written);
  std::remove(output.c_str());
}

}  // namespace
}  // namespace vorlix::cli::testing
