#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <utility>
#include <vector>

#include "app/core/caption.h"
#include "cli/directory_commands.h"
#include "cli/export_command.h"
#include "cli/members_command.h"
#include "cli/message_printer.h"

namespace vorlix::cli {

namespace {

// A command's entry in the command table: its word, its line in help, and what declares it.
struct CommandTableEntry {
  const char* name;
  const char* summary;
  CommandDeclaration declare;
};

// Every command, in the order help lists them. A new command is one line here.
const std::vector<CommandTableEntry>& Commands() {
  static const std::vector<CommandTableEntry> commands = {
      {"tree", "print the tree name", DeclareTree},
      {"find", "full names of the matching objects, sorted", DeclareFind},
      {"read", "an attribute as text, as a list or as an integer", DeclareRead},
      {"members", "the member table, tab-separated unless --format says otherwise", DeclareMembers},
      {"mailto", "the MAILTO: command for all rows", DeclareMailto},
      {"export", "the member table as a file, with the main window's settings", DeclareExport},
  };
  return commands;
}

// The options of every command. A new one is one line here and a field in GlobalOptions.
void AddGlobalOptions(CLI::App& app, GlobalOptions& options) {
  app.add_option("--config", options.configPath,
                 "the configuration file (default: the first vorlix.ini beside the "
                 "executable, in $XDG_CONFIG_HOME/vorlix or ~/.config/vorlix, in /etc/vorlix)")
      ->type_name("FILE");
  app.add_option("--source", options.source,
                 "an LDIF file or an ldap:// URL; overrides the configuration")
      ->type_name("SOURCE");
  app.add_option("--password-file", options.passwordFile,
                 "the password of the LDAP bind (binddn), on the file's first line; else "
                 "VORLIX_LDAP_PASSWORD, else it is asked for on a terminal")
      ->type_name("FILE");
  app.add_flag("--quiet", options.quiet,
               "no progress line (shown on stderr only when it is a terminal, during long "
               "lookups and exports)");
}

constexpr char kFooter[] =
    "Without a source in the configuration or --source, the bundled sample tree is read.\n"
    "Exit codes: 0 done, 1 no match, 2 several matches, 3 directory error, 4 export or output\n"
    "error, 5 listed, some members unreadable, 64 usage.";

// " --kind group|workstation TEXT [--pick NAME]": the options and operands of one (sub)command,
// in the order they were declared.
std::string Synopsis(const CLI::App& app) {
  std::string text;
  for (const CLI::Option* option : app.get_options()) {
    if (option == app.get_help_ptr() || option == app.get_version_ptr()) continue;
    std::string word = option->get_name();
    if (option->nonpositional() && option->get_expected_max() != 0) {
      word += " " + option->get_type_name();
    }
    text += " " + (option->get_required() ? word : "[" + word + "]");
  }
  return text;
}

// The usage lines for an error: the command's own, or every command's when none was chosen.
std::string UsageOf(const CLI::App& app, const CLI::App* command) {
  const std::string start = std::string("usage: ") + kProgramName + Synopsis(app);
  if (command != nullptr) {
    return start + " " + command->get_name() + Synopsis(*command) + "\nRun \"" + kProgramName +
           " " + command->get_name() + " --help\" for details.\n";
  }
  std::string usage = start + " COMMAND [ARGS]\n";
  for (const CLI::App* sub : app.get_subcommands({})) {
    usage += "  " + sub->get_name() + Synopsis(*sub) + "\n";
  }
  return usage + "Run \"" + kProgramName + " --help\" for details.\n";
}

// A single-value option given more than once, if any.
const CLI::Option* RepeatedOption(const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_expected_max() == 1 && option->count() > 1) {
      return option;
    }
  }
  return nullptr;
}

// The problem in words that name the argument. CLI11 checks requirements before it reports
// arguments it did not know, so an unknown one is looked for first: it is the likelier cause.
std::string ProblemOf(const CLI::App& app, const CLI::App* command, const CLI::ParseError& error) {
  const std::vector<std::string> unknown = app.remaining(true);
  if (!unknown.empty()) {
    const std::string& word = unknown.front();
    if (command == nullptr && word.rfind('-', 0) != 0) return "unknown command \"" + word + "\"";
    if (word.size() > 1 && word[0] == '-') {
      const bool takesOperands =
          command != nullptr &&
          !command->get_options([](const CLI::Option* o) { return o->get_positional(); }).empty();
      return "unknown option \"" + word + "\"" +
             (takesOperands ? " (an operand that begins with \"-\" goes after \"--\")" : "");
    }
    return "unexpected argument \"" + word + "\"";
  }
  for (const CLI::App* where : {&app, command}) {
    if (where == nullptr) continue;
    if (const CLI::Option* repeated = RepeatedOption(*where)) {
      return repeated->get_name() + " is given more than once";
    }
  }
  if (command == nullptr && error.get_name() == "RequiredError") return "no command given";
  return error.what();
}

}  // namespace

int ReportUsageError(const std::string& problem, const std::string& usage,
                     const MessagePrinter& messages) {
  messages.Error(problem);
  messages.Data(usage);
  return kExitUsage;
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, GlobalOptions& options,
                                   std::ostream& out, const MessagePrinter& messages) {
  CLI::App app("The directory lookups and exports of vorlix from a shell.", kProgramName);
  app.set_version_flag("--version", std::string(kProgramName) + " " + core::kCaptionVersion);
  app.footer(kFooter);
  app.require_subcommand(1);
  app.fallthrough();  // global options may also follow the command word
  AddGlobalOptions(app, options);
  std::vector<std::pair<const CLI::App*, CommandRun>> runs;
  for (const CommandTableEntry& entry : Commands()) {
    CLI::App* command = app.add_subcommand(entry.name, entry.summary);
    runs.emplace_back(command, entry.declare(*command));
  }

  ParsedCommandLine parsed;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const std::vector<CLI::App*> seen = app.get_subcommands();
    const CLI::App* command = seen.empty() ? nullptr : seen.front();
    if (error.get_exit_code() == 0) {  // --help or --version
      app.exit(error, out, out);       // help and version are written to `out` alone
      parsed.exitCode = kExitDone;
    } else {
      parsed.exitCode =
          ReportUsageError(ProblemOf(app, command, error), UsageOf(app, command), messages);
    }
    return parsed;
  }
  const CLI::App* command = app.get_subcommands().front();
  for (auto& [declared, run] : runs) {
    if (declared == command) parsed.run = std::move(run);
  }
  parsed.usage = UsageOf(app, command);
  return parsed;
}

}  // namespace vorlix::cli
