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

// Starts its arguments on a new pseudo-terminal, copies what they write there to stdout and
// exits with their exit code.
constexpr char kOnTerminal[] = R"(import os, pty, sys
pid, fd = pty.fork()
if pid == 0:
    os.execv(sys.argv[1], sys.argv[1:])
out = b""
while True:
    try:
        chunk = os.read(fd, 65536)
    except OSError:
        break
    if not chunk:
        break
    out += chunk
_, status = os.waitpid(pid, 0)
sys.stdout.buffer.write(out)
sys.exit(os.waitstatus_to_exitcode(status))
)";

std::string TempBase() {
  static int counter = 0;
  return ::testing::TempDir() + "/cli-" + std::to_string(getpid()) + "-" +
         std::to_string(++counter);
}

CliRun RunCaptured(const std::string& command) {
  const std::string base = TempBase();
  CliRun run;
  run.exitCode =
      Shell(command + " >" + ShellQuoted(base + ".out") + " 2>" + ShellQuoted(base + ".err"));
  run.out = ReadFile(base + ".out");
  run.err = ReadFile(base + ".err");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return run;
}

}  // namespace

std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

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

std::string CliCommandLine(const std::vector<std::string>& args) {
  std::string command = ShellQuoted(VORLIX_BINARY_DIR "/vorlix-cli");
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  return command;
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& environment) {
  // No terminal on the input: nothing may wait for a typed answer.
  return RunCaptured(environment + " " + CliCommandLine(args) + " </dev/null");
}

CliRun RunCliOnTerminal(const std::vector<std::string>& args) {
  const std::string script = TempBase() + ".py";
  std::ofstream(script) << kOnTerminal;
  CliRun run = RunCaptured("/usr/bin/python3 " + ShellQuoted(script) + " " + CliCommandLine(args));
  std::remove(script.c_str());
  return run;
}

}  // namespace vorlix::cli::testing
