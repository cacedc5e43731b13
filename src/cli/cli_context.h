#pragma once
// What every vorlix-cli command gets: the parsed options, the started client with its open
// context, and the output streams. A command returns its exit code.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/core/configuration.h"
#include "directory/directory_client.h"
#include "directory/directory_source.h"

namespace vorlix::cli {

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNoMatch = 1;
inline constexpr int kExitSeveral = 2;
inline constexpr int kExitDirectoryError = 3;
inline constexpr int kExitExportError = 4;
inline constexpr int kExitUsage = 64;

// Thrown by a command for bad arguments; main prints the message and the usage, exit 64.
class UsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CliOptions {
  std::string configPath;             // --config FILE, empty when not given
  core::Configuration configuration;  // --config FILE, else vorlix.ini beside the executable
  directory::DirectorySource source;  // from --source, else the configuration, else the sample
};

struct CliContext {
  const CliOptions& options;
  directory::DirectoryClient& client;
  directory::Context context;
  std::ostream& out;
  std::ostream& err;
};

// A command: its arguments (after the command word) in, exit code out. Directory errors may be
// thrown; main turns them into exit 3.
using CommandFn = std::function<int(CliContext&, const std::vector<std::string>& args)>;
using CommandTable = std::map<std::string, CommandFn>;

}  // namespace vorlix::cli
