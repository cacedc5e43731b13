#pragma once
// What the members, mailto and export commands share: their arguments
// ("--kind group|workstation TEXT [--pick NAME]"), the lookup of the object and the reading of
// its members' rows.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/core/app_state.h"
#include "app/core/listing.h"
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
std::optional<core::Kind> KindOf(const std::string& name);

struct CliLookup {
  core::Kind kind = core::Kind::Group;
  std::unique_ptr<core::MemberListing> listing;  // once the object was found
};

// The program state for a command on the member table: the client and context that main opened
// (and closes), and the phone settings of the configuration that main read.
core::AppState StateFor(const CliContext& context);

// Finds the object and opens its listing. Returns 0 when it is open, else the exit code (1 no
// match, 2 several and none picked, 3 directory error, 64 refused text) after telling stderr why.
int OpenCliLookup(core::AppState& state, const LookupArguments& arguments, CliLookup& lookup,
                  CliContext& context);

// Reads the listing's rows, handing each to `take` as it is read, with the members read so far
// on the progress line. Returns 0 when every row was read, 3 after a directory error (told on
// stderr; the rows read before it were taken).
int ReadCliRows(CliLookup& lookup, CliContext& context,
                const std::function<void(const core::MemberRow&)>& take);

// After the rows were read: 5 and the notice on stderr when some members or values could not be
// read, else 0.
int TellUnreadable(const CliLookup& lookup, CliContext& context);

// Tells stderr a directory error, after clearing the progress line; returns 3.
int TellDirectoryError(const std::string& message, CliContext& context);

}  // namespace vorlix::cli
