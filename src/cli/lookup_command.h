#pragma once
// What the members, mailto and export commands share: their arguments
// ("--kind group|workstation TEXT [--pick NAME]") and the lookup that fills the member table.

#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "app/core/app_state.h"
#include "app/core/member_table_model.h"
#include "cli/cli_context.h"

namespace vorlix::cli {

struct LookupArguments {
  std::string kind;  // "group" or "workstation", checked by the parser
  std::string text;
  std::optional<std::string> pick;
};

// Declares --kind, TEXT and --pick on a command.
void AddLookupArguments(CLI::App& command, LookupArguments& arguments);

// The kind a --kind value names ("group" or "workstation"); nullopt for any other text.
std::optional<int> KindOf(const std::string& name);

struct CliLookup {
  int kind = 0;
  core::MemberTableModel table;
  std::array<std::string, 3> panels;  // count, description, full name
  std::array<std::string, 5> captions;
  size_t unreadable = 0;  // members or values that could not be read, marked in the table
};

// The exit code of a command that listed the lookup's table: 0, or 5 when some members or values
// could not be read.
int ListedExitCode(const CliLookup& lookup);

// The program state for a command on the member table: the client and context that main opened
// (and closes), and the phone settings of the configuration that main read.
core::AppState StateFor(const CliContext& context);

// Runs the lookup, with the members read so far on the progress line. Returns 0 when a table was
// listed (stderr then has the count and first reason of what could not be read, if anything),
// else the exit code (1 no match, 2 several and none picked, 3 directory error, 64 refused text)
// after telling stderr why.
int RunCliLookup(core::AppState& state, const LookupArguments& arguments, CliLookup& lookup,
                 CliContext& context);

}  // namespace vorlix::cli
