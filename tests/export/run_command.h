#pragma once
// Runs a shell command for the tests and collects what it writes to its standard output.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace vorlix::exporter::testing {

struct CommandResult {
  int exitCode = -1;  // -1 when the command could not be run or did not exit normally
  std::string output;
};

inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> chunk;
  std::size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
    result.output.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace vorlix::exporter::testing
