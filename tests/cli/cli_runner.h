#pragma once
// Runs the built vorlix-cli with arguments and collects its exit code, stdout and stderr.

#include <string>
#include <vector>

namespace vorlix::cli::testing {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Each argument is passed as one word, whatever it holds.
CliRun RunCli(const std::vector<std::string>& args, const std::string& environment = "");

// The shell words that run the built vorlix-cli with `args`, for tests that redirect or limit it.
std::string CliCommandLine(const std::vector<std::string>& args);

// Runs vorlix-cli on a pseudo-terminal: stdout and stderr both go to it, so `out` holds both (with
// the terminal's CR LF line ends).
CliRun RunCliOnTerminal(const std::vector<std::string>& args);

// A word quoted for the shell.
std::string ShellQuoted(const std::string& word);

// Runs a shell command line and returns its exit code (-1 when it did not exit normally).
int Shell(const std::string& command);

// The bytes of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace vorlix::cli::testing
