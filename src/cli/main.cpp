// vorlix-cli: the directory lookups and exports of vorlix from a shell.

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "app/core/startup.h"
#include "cli/cli_context.h"
#include "cli/core_commands.h"
#include "cli/directory_commands.h"
#include "directory/directory_layer.h"
#include "directory/directory_source.h"
#include "platform/system_info.h"

namespace vorlix::cli {
namespace {

constexpr char kUsage[] =
    "usage: vorlix-cli [--config FILE] [--source SOURCE] COMMAND [ARGS]\n"
    "  tree                                   print the tree name\n"
    "  find   --kind group|workstation TEXT   full names of the matching objects\n"
    "  read   [--list|--integer] OBJECT ATTRIBUTE\n"
    "                                         an attribute as text, as a list or as an integer\n"
    "  members --kind K TEXT [--pick NAME]    the member table, tab-separated\n"
    "  mailto  --kind K TEXT [--pick NAME]    the MAILTO: command for all rows\n"
    "  export  --kind K TEXT [--pick NAME] --format csv|xls|pdf|txt|dif|sylk --output FILE\n"
    "SOURCE is an LDIF file or an ldap:// URL; without one the bundled sample tree is used.\n"
    "Exit codes: 0 done, 1 no match, 2 several matches, 3 directory error, 4 export error,\n"
    "64 usage.\n";

// Every command, by name. A new command is one line here.
const CommandTable& Commands() {
  static const CommandTable table = {
      {"tree", RunTree},
      {"find", RunFind},
      {"read", RunRead},
      {"members", RunMembersCommand},
      {"mailto", RunMailtoCommand},
      {"export", RunExportCommand},
  };
  return table;
}

int Usage(const std::string& problem) {
  std::cerr << "vorlix-cli: " << problem << '\n' << kUsage;
  return kExitUsage;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CliOptions options;
  std::string sourceOption;
  bool haveSource = false;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitDone;
    }
    if (arg == "--config" || arg == "--source") {
      if (i + 1 >= args.size()) return Usage(arg + " needs a value");
      (arg == "--config" ? options.configPath : sourceOption) = args[++i];
      if (arg == "--source") haveSource = true;
      continue;
    }
    if (arg.rfind("--", 0) == 0) return Usage("unknown option " + arg);
    break;
  }
  if (i >= args.size()) return Usage("no command given");
  const std::string command = args[i];
  const std::vector<std::string> commandArgs(args.begin() + static_cast<long>(i) + 1, args.end());
  auto found = Commands().find(command);
  if (found == Commands().end()) return Usage("unknown command \"" + command + "\"");

  if (!options.configPath.empty()) {
    const std::string problem = core::ConfigurationFileProblem(options.configPath);
    if (!problem.empty()) return Usage(problem);
  }
  options.configuration = core::LoadConfiguration(
      options.configPath.empty() ? core::ConfigurationPath() : options.configPath);
  options.source = core::DirectorySourceOf(options.configuration);
  if (haveSource) options.source.source = sourceOption;
  const std::string notice = core::ConfigurationMessage(options.configuration, options.source);
  if (!notice.empty()) std::cerr << "vorlix-cli: " << notice << '\n';

  auto client = directory::MakeDirectoryClient(options.source);
  if (client->calStartup(0, 0) != 0) {
    std::cerr << core::kClientMissingMessage << '\n' << client->StartupFailureReason() << '\n';
    client->calShutdown(0);
    return kExitDirectoryError;
  }
  client->clxStartup(0, 0);
  const directory::OpenContextResult opened =
      directory::OpenDirectoryContext(*client, false, false);

  int exitCode = kExitDirectoryError;
  if (!opened.ok) {
    std::cerr << "vorlix-cli: the directory context could not be opened\n";
  } else {
    CliContext context{options, *client, opened.context, std::cout, std::cerr};
    try {
      exitCode = found->second(context, commandArgs);
    } catch (const UsageError& error) {
      exitCode = Usage(error.what());
    } catch (const directory::DirectoryError& error) {
      std::cerr << error.what() << '\n';
      exitCode = kExitDirectoryError;
    } catch (const directory::DirectoryArgumentError& error) {
      std::cerr << error.what() << '\n';
      exitCode = kExitDirectoryError;
    } catch (const std::exception& error) {
      std::cerr << "vorlix-cli: " << error.what() << '\n';
      exitCode = kExitDirectoryError;
    }
  }
  std::cout.flush();
  if (opened.context != directory::kNoContext) client->dsCloseContext(opened.context);
  client->clxShutdown(0);
  client->calShutdown(0);
  return exitCode;
}

}  // namespace
}  // namespace vorlix::cli

int main(int argc, char** argv) {
  // The user's locale orders names and shapes dates, as in the window.
  std::setlocale(LC_ALL, "");
  return vorlix::cli::Run(argc, argv);
}
