#include "cli_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vorlix::cli::testing {

namespace {

std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& environment) {
  static int counter = 0;
  const std::string base =
      ::testing::TempDir() + "/cli-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
  std::string command = environment + " " + Quoted(VORLIX_BINARY_DIR "/vorlix-cli");
  for (const std::string& arg : args) command += " " + Quoted(arg);
  // No terminal on the input: nothing may wait for a typed answer.
  command += " </dev/null >" + Quoted(base + ".out") + " 2>" + Quoted(base + ".err");
  CliRun run;
  run.exitCode = Shell(command);
  run.out = ReadFile(base + ".out");
  run.err = ReadFile(base + ".err");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return run;
}

}  // namespace vorlix::cli::testing
