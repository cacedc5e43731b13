#pragma once
// What the members, mailto and export commands share: their arguments
// ("--kind group|workstation TEXT [--pick NAME]") and the lookup that fills the member table.

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "app/core/member_table_model.h"
#include "cli/cli_context.h"

namespace vorlix::cli {

struct LookupArguments {
  int kind = 0;
  std::string text;
  std::optional<std::string> pick;
  std::vector<std::string> rest;  // arguments the caller's command reads itself (e.g. --format)
};

// The kind a --kind value names ("group" or "workstation"); nullopt for any other text.
std::optional<int> KindOf(const std::string& name);

// Options that take a value and belong to the calling command, not to the lookup.
using CommandOptions = std::vector<std::string>;

// Parses the lookup arguments; options named in `extra` (with their values) go to `rest`.
// Nullopt with `error` set for a bad or missing argument.
std::optional<LookupArguments> ParseLookupArguments(const std::vector<std::string>& args,
                                                    const CommandOptions& extra,
                                                    std::string& error);

struct CliLookup {
  core::MemberTableModel table;
  std::array<std::string, 3> panels;  // count, description, full name
  std::array<std::string, 5> captions;
};

// Runs the lookup. Returns 0 when a table was listed, else the exit code (1 no match, 2 several
// and none picked, 3 directory error, 64 refused text) after telling `err` why.
int RunCliLookup(core::AppState& state, const LookupArguments& arguments, CliLookup& lookup,
                 std::ostream& err);

}  // namespace vorlix::cli
