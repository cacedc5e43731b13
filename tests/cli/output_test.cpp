#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

const std::string kOddTree = VORLIX_TEST_DATA_DIR "/cli/odd-values.ldif";
const std::vector<std::string> kOddMembers = {"--source", kOddTree, "members",
                                              "--kind",   "group",  "Odd"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Runs a python3 program over `input` (given on stdin); its exit code.
int Python(const std::string& program, const std::string& input) {
  const std::string path = ::testing::TempDir() + "/python-input-" + std::to_string(getpid());
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(input.data(), 1, input.size(), file);
  std::fclose(file);
  const int code = Shell("/usr/bin/python3 -c " + ShellQuoted(program) + " <" + ShellQuoted(path));
  std::remove(path.c_str());
  return code;
}

TEST(CliOutput, EveryCommandReportsAFullStdoutAsAnOutputError) {
  const std::vector<std::vector<std::string>> commands = {
      {"tree"},
      {"find", "--kind", "group", ""},
      {"read", "--list", "Sales West.groups.harbourline", "Member"},
      {"members", "--kind", "workstation", "Depot"},
      {"members", "--kind", "workstation", "Depot", "--format", "json"},
      {"mailto", "--kind", "workstation", "Depot"},
      {"--help"},
  };
  for (const auto& args : commands) {
    const std::string err = ::testing::TempDir() + "/full-" + std::to_string(getpid()) + ".err";
    EXPECT_EQ(Shell(CliCommandLine(args) + " >/dev/full 2>" + ShellQuoted(err)), 4) << args[0];
    EXPECT_NE(ReadFile(err).find("vorlix-cli: cannot write to standard output: No space left"),
              std::string::npos)
        << ReadFile(err);
  }
}

TEST(CliOutput, AWriteThatFailsPartWayIsAnOutputError) {
  // A file-size limit of 2 KiB (bash counts in KiB) stands in for a disk that fills after the
  // first 2,048 bytes; the signal is ignored, so the write fails with EFBIG instead of ending the
  // process.
  const std::string file = ::testing::TempDir() + "/partial-" + std::to_string(getpid()) + ".tsv";
  const std::string err = file + ".err";
  const int code =
      Shell("bash -c " + ShellQuoted("trap '' XFSZ; ulimit -f 2; " +
                                     CliCommandLine({"members", "--kind", "group", "Seasonal"}) +
                                     " >" + ShellQuoted(file) + " 2>" + ShellQuoted(err)));
  EXPECT_EQ(code, 4);
  EXPECT_EQ(ReadFile(file).size(), 2048u);
  EXPECT_NE(ReadFile(err).find("cannot write to standard output: File too large"),
            std::string::npos)
      << ReadFile(err);
  // The same lookup with room enough is longer than the limit, so the limit really cut it.
  EXPECT_GT(RunCli({"members", "--kind", "group", "Seasonal"}).out.size(), 2048u);
}

TEST(CliOutput, TsvKeepsOneLinePerRowAndEscapesTabsAndLineBreaks) {
  const CliRun run = RunCli(kOddMembers, "LC_ALL=C");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "User\tPhone\t\t\t\n"
            "ev\x1Bil\xC2\x9B.odd\t1\t\t\t\n"
            "plain.odd\t+31\\t20\\r\\n555 \x1B[2J \\\\t \"q\", " +
                std::string(1, '\0') + "end \xFF\t\t\t\n");
  // The status line on stderr is a TSV line too.
  EXPECT_EQ(Count(run.err, "\n"), 1u) << run.err;
  EXPECT_EQ(run.err.rfind("2\ttwo\\nlines", 0), 0u) << run.err;
}

TEST(CliOutput, CsvAndJsonReadBackWithTheValuesWhole) {
  const CliRun csv = RunCli(With(kOddMembers, {"--format", "csv"}), "LC_ALL=C");
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("User,Phone,,,\r\n", 0), 0u) << csv.out;
  EXPECT_EQ(Python("import csv, io, sys\n"
                   "rows = list(csv.reader(io.TextIOWrapper(sys.stdin.buffer, 'utf-8', newline='',"
                   " errors='surrogateescape')))\n"
                   "want = '+31\\t20\\r\\n555 \\x1b[2J \\\\t \"q\", \\x00end \\udcff'\n"
                   "sys.exit(0 if len(rows) == 3 and rows[2][1] == want and"
                   " rows[1][0] == 'ev\\x1bil\\x9b.odd' else 1)",
                   csv.out),
            0)
      << csv.out;

  const CliRun json = RunCli(With(kOddMembers, {"--format", "json"}), "LC_ALL=C");
  ASSERT_EQ(json.exitCode, 0) << json.err;
  // Strict JSON: the bytes are valid UTF-8, and only captioned columns are keys.
  EXPECT_EQ(Python("import json, sys\n"
                   "rows = json.loads(sys.stdin.buffer.read().decode('utf-8'))\n"
                   "want = '+31\\t20\\r\\n555 \\x1b[2J \\\\t \"q\", \\x00end \\ufffd'\n"
                   "sys.exit(0 if rows == [{'User': 'ev\\x1bil\\x9b.odd', 'Phone': '1'},"
                   " {'User': 'plain.odd', 'Phone': want}] else 1)",
                   json.out),
            0)
      << json.out;

  const CliRun workstations =
      RunCli({"members", "--kind", "workstation", "Depot", "--format", "json"}, "LC_ALL=C TZ=UTC");
  EXPECT_NE(
      workstations.out.find("{\"Workstation\": \"WS-DEP-02.workstations.harbourline\", \"User\": "
                            "\"jan.depot.harbourline\", \"Last login\": \"07-10-24 06:15:00\", "
                            "\"IP-address\": \"10.2.0.22\", \"Phone\": \"+31 10 555 0210\"}"),
      std::string::npos)
      << workstations.out;
  const CliRun empty = RunCli({"members", "--kind", "group", "Empty", "--format", "json"});
  EXPECT_EQ(empty.out, "[]\n");
}

TEST(CliOutput, ControlCharactersReachATerminalOnlyEscaped) {
  for (const char* format : {"tsv", "csv", "json"}) {
    const CliRun run = RunCliOnTerminal(With(kOddMembers, {"--format", format}));
    EXPECT_EQ(run.exitCode, 0) << format;
    // Stdout and stderr both reach the terminal: neither lets ESC, NUL, BEL or the C1 CSI through.
    for (char raw : {'\x1B', '\0', '\x07', '\x9B'}) {
      EXPECT_EQ(run.out.find(raw), std::string::npos) << format << " " << int(raw);
    }
    EXPECT_NE(run.out.find("il\\u009B.odd"), std::string::npos) << run.out;
  }
  const CliRun tsv = RunCliOnTerminal(kOddMembers);
  EXPECT_NE(tsv.out.find("ev\\x1Bil\\u009B.odd"), std::string::npos) << tsv.out;
  EXPECT_NE(tsv.out.find("555 \\x1B[2J \\\\t \"q\", \\x00end \\xFF"), std::string::npos) << tsv.out;
  EXPECT_NE(tsv.out.find("two\\nlines\\x1B]0;title"), std::string::npos) << tsv.out;

  // An export to a terminal is refused before anything is looked up.
  const CliRun exported = RunCliOnTerminal({"--source", kOddTree, "export", "--kind", "group",
                                            "Odd", "--format", "csv", "--output", "-"});
  EXPECT_EQ(exported.exitCode, 64);
  EXPECT_NE(exported.out.find("standard output is a terminal"), std::string::npos);
}

TEST(CliOutput, ScriptsStillGetTheRawBytes) {
  // Not a terminal: values pass unchanged apart from the format's own quoting.
  const CliRun list = RunCli({"--source", kOddTree, "read", "--list", "Odd.odd", "Member"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "plain.odd\nev\x1Bil\xC2\x9B.odd\n");
  const CliRun onTerminal =
      RunCliOnTerminal({"--source", kOddTree, "read", "--list", "Odd.odd", "Member"});
  EXPECT_EQ(onTerminal.out, "plain.odd\r\nev\\x1Bil\\u009B.odd\r\n");
}

TEST(CliOutput, ExportToStandardOutputNeverOverwritesWhatWasThere) {
  const std::vector<std::string> exportCsv = {"export",   "--kind", "workstation", "Depot",
                                              "--format", "csv",    "--output",    "-"};
  const std::string file =
      ::testing::TempDir() + "/stdout-export-" + std::to_string(getpid()) + ".csv";
  ASSERT_EQ(Shell(CliCommandLine(exportCsv) + " >" + ShellQuoted(file)), 0);
  EXPECT_EQ(ReadFile(file).rfind("\"Workstation\";\"User\";", 0), 0u) << ReadFile(file);

  // Through a pipe: every format is written whole.
  for (const char* format : {"csv", "txt", "dif", "sylk", "xls", "xlsx", "pdf"}) {
    std::vector<std::string> args = exportCsv;
    args[5] = format;
    const std::string err = file + ".err";
    const int code =
        Shell("bash -c " + ShellQuoted("set -o pipefail; " + CliCommandLine(args) + " 2>" +
                                       ShellQuoted(err) + " | cat >" + ShellQuoted(file)));
    EXPECT_EQ(code, 0) << format << ": " << ReadFile(err);
    EXPECT_GT(ReadFile(file).size(), 100u) << format;
    std::remove(err.c_str());
  }

  // Appending, or writing after earlier output, keeps what was there and adds the export after it.
  std::ofstream(file) << "kept\n";
  EXPECT_EQ(Shell(CliCommandLine(exportCsv) + " >>" + ShellQuoted(file) + " 2>/dev/null"), 0);
  EXPECT_EQ(ReadFile(file).rfind("kept\n\"Workstation\";\"User\";", 0), 0u) << ReadFile(file);
  EXPECT_EQ(
      Shell("{ echo kept; " + CliCommandLine(exportCsv) + " 2>/dev/null; } >" + ShellQuoted(file)),
      0);
  EXPECT_EQ(ReadFile(file).rfind("kept\n\"Workstation\";\"User\";", 0), 0u) << ReadFile(file);
  std::remove(file.c_str());
}

}  // namespace
}  // namespace vorlix::cli::testing
