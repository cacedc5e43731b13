#pragma once
// What every vorlix-cli command gets: the options before the command word, the started client with
// its open context, and the output streams. A command returns its exit code.

#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/core/configuration.h"
#include "app/core/progress_pace.h"
#include "cli/message_printer.h"
#include "cli/progress_line.h"
#include "directory/directory_client.h"
#include "directory/directory_source.h"

namespace CLI {
class App;
}

namespace vorlix::cli {

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNoMatch = 1;
inline constexpr int kExitSeveral = 2;
inline constexpr int kExitDirectoryError = 3;
inline constexpr int kExitExportError = 4;
// Listed, but some members or values could not be read: each is marked in the table, and stderr
// has their count and the first reason.
inline constexpr int kExitUnreadable = 5;
inline constexpr int kExitUsage = 64;

// Thrown by a command for bad arguments found after parsing; main prints the message and the
// command's usage, exit 64.
class UsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The options every command takes, given before or after the command word. A new one is a field
// here and one line in AddGlobalOptions (command_line.cpp).
struct GlobalOptions {
  std::string configPath;             // --config FILE, empty when not given
  std::optional<std::string> source;  // --source SOURCE
  std::string passwordFile;           // --password-file FILE, empty when not given
  bool quiet = false;                 // --quiet: no progress line
};

struct CliOptions {
  GlobalOptions global;
  core::Configuration configuration;  // --config FILE, else vorlix.ini beside the executable
  std::string configurationPath;      // the configuration file read (it may not exist)
  directory::DirectorySource source;  // from --source, else the configuration, else the sample
};

struct CliContext {
  const CliOptions& options;
  directory::DirectoryClient& client;
  directory::Context context;
  std::ostream& out;
  MessagePrinter messages;            // what goes to stderr, the progress line aside
  ProgressLine& progress;             // long lookups and exports on a terminal
  core::SteadyClock clock = nullptr;  // paces the progress line; empty: the system's
};

// A command as it runs, with its options already parsed. Directory errors may be thrown; main
// turns them into exit 3.
using CommandRun = std::function<int(CliContext&)>;

// Declares a command's options and operands on its subcommand and returns its run, bound to the
// values that parsing fills in.
using CommandDeclaration = CommandRun (*)(CLI::App& command);

}  // namespace vorlix::cli
