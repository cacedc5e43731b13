#pragma once
// The command line of vorlix-cli: the global options, the commands and their options, parsed with
// CLI11. Help and version go to `out`; a usage error names the bad argument on stderr, followed by
// the usage of the command it belongs to.

#include <ostream>

#include "cli/cli_context.h"

namespace vorlix::cli {

struct ParsedCommandLine {
  CommandRun run;            // the chosen command, empty when parsing already ended the run
  int exitCode = kExitDone;  // when `run` is empty: 0 after --help or --version, else 64
  std::string usage;         // the usage lines of the chosen command, for errors found later
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, GlobalOptions& options,
                                   std::ostream& out, const MessagePrinter& messages);

// Prints "vorlix-cli: PROBLEM" and the usage lines; returns 64.
int ReportUsageError(const std::string& problem, const std::string& usage,
                     const MessagePrinter& messages);

}  // namespace vorlix::cli
