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

}  // namespace vorlix::cli::testing
