// The progress line of a long export on a generated tree: on a terminal's stderr it shows the
// members read and the rows written and is blanked out at the end; --quiet and a stderr that is
// no terminal get none of it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <sstream>

#include "../app/core/fake_clock.h"
#include "../app/core/generated_tree.h"
#include "app/core/directory_session.h"
#include "cli/command_line.h"
#include "cli/progress_line.h"
#include "cli_runner.h"
#include "directory/directory_source.h"

namespace vorlix::cli::testing {
namespace {

constexpr int kMembers = 10000;
constexpr bool kShown = true;

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
  static std::vector<std::string> Export(const std::string& output, bool quiet,
                                         const std::string& format = "csv") {
    std::vector<std::string> args = {"--source", *tree_,     "export", "--kind",   "group",
                                     "Everyone", "--format", format,   "--output", output};
    if (quiet) args.push_back("--quiet");
    return args;
  }
  static std::string* tree_;
};
std::string* CliProgress::tree_ = nullptr;

// Nothing but progress lines, each written from the start of the line, and at the end the line
// blanked out: the shell's prompt starts on an empty line.
bool OnlyProgressLines(const std::string& text) {
  static const std::regex kLine(
      "vorlix-cli: ([0-9]+ of 10000 (members read|rows written)|finishing the file: [0-9]+%) *| *");
  if (text.empty()) return true;
  if (text.front() != '\r' || text.back() != '\r') return false;
  for (size_t start = 1; start < text.size();) {
    const size_t end = text.find('\r', start);
    if (!std::regex_match(text.begin() + start, text.begin() + end, kLine)) return false;
    start = end + 1;
  }
  return true;
}

TEST_F(CliProgress, ATerminalGetsNothingButProgressLinesBesideTheExport) {
  const std::string output = TempFile("terminal.csv");
  const CliRun run = RunCliOnTerminal(Export(output, false));
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_TRUE(OnlyProgressLines(run.out)) << run.out;
  // The line turns to the finishing of the file as soon as the last row is written, and it is
  // still there when the file is saved.
  EXPECT_NE(run.out.find("\rvorlix-cli: finishing the file: 100%"), std::string::npos) << run.out;
  const std::string written = ReadFile(output);
  size_t lines = 0;
  for (size_t at = 0; (at = written.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, static_cast<size_t>(kMembers + 1));
  std::remove(output.c_str());
}

// The same command in this process, on a clock that moves a second at each reading: every
// report is due, so each stage shows its counts, and the line is blanked out at the end. A format
// that reads the rows once writes each as it is read: one count. One that measures the columns
// over all rows first reads them all, then writes them: two counts, one after the other.
TEST_F(CliProgress, EachStageCountsOnTheLineUntilTheWorkIsDone) {
  for (const std::string format : {"csv", "txt"}) {
    SCOPED_TRACE(format);
    const bool readFirst = format == "txt";
    const std::string output = TempFile("clocked." + format);
    const std::string shown = TempFile("clocked-line");
    std::vector<std::string> words = Export(output, false, format);
    words.insert(words.begin(), "vorlix-cli");
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    CliOptions options;
    std::ostringstream out, err;
    const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data(),
                                                      options.global, out, MessagePrinter(err));
    ASSERT_TRUE(parsed.run) << err.str();
    options.source.source = *options.global.source;
    const auto client = directory::MakeDirectoryClient(options.source);
    core::DirectorySession session(*client);
    ASSERT_EQ(session.Start(), core::SessionStart::Open);
    vorlix::testing::FakeClock clock;
    clock.step = std::chrono::seconds(1);
    const int fd = open(shown.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    int code = -1;
    {
      ProgressLine progress(fd, kShown);
      CliContext context{options,  *client,      session.Context(), out, MessagePrinter(err),
                         progress, clock.Clock()};
      code = parsed.run(context);
    }
    close(fd);
    EXPECT_EQ(code, 0) << err.str();
    const std::string line = ReadFile(shown);
    EXPECT_TRUE(OnlyProgressLines(line)) << line.substr(0, 2000);
    // Every member read and every row written is reported on such a clock, the reading first
    // when it comes first.
    const size_t lastRead = line.rfind("\rvorlix-cli: 9999 of 10000 members read");
    const size_t firstWritten = line.find("\rvorlix-cli: 1 of 10000 rows written");
    EXPECT_NE(firstWritten, std::string::npos);
    if (readFirst) {
      EXPECT_NE(line.find("\rvorlix-cli: 1 of 10000 members read"), std::string::npos);
      EXPECT_NE(lastRead, std::string::npos);
      EXPECT_LT(lastRead, firstWritten);
    } else {
      EXPECT_EQ(line.find("members read"), std::string::npos);
    }
    EXPECT_NE(line.find("\rvorlix-cli: 10000 of 10000 rows written"), std::string::npos);
    EXPECT_LT(line.rfind("\rvorlix-cli: 10000 of 10000 rows written"),
              line.find("\rvorlix-cli: finishing the file: 100%"));
    EXPECT_EQ(line.substr(line.rfind('\r', line.size() - 2)).find_first_not_of(" \r"),
              std::string::npos);  // blanked out at the end
    std::remove(output.c_str());
    std::remove(shown.c_str());
  }
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
