#pragma once
// Mail to the ticked members: their short names in a "MAILTO:" command.

#include <functional>
#include <optional>
#include <string>

#include "app/core/app_state.h"
#include "app/core/member_table.h"

namespace vorlix::core {

// Longest mail command handed to the mail program.
inline constexpr size_t kMaxMailCommand = 1000;

// The leftmost component of a dotted directory name, "\." read as a plain dot and "\\" as a
// backslash.
std::string ShortName(const std::string& name);

struct MailCommand {
  std::string command;  // "MAILTO:" followed by "name;" per recipient
  int namesListed = 0;
  int namesLeftOut = 0;  // distinct names that did not fit into kMaxMailCommand characters
};

// The command for the ticked rows, top to bottom: the short name of the first-column text
// (kind 0) or of cell 1, the registered user (other kinds); empty names and names already listed
// are skipped. When the names need more than `limit` characters, the list ends before the first
// name that does not fit. "?", "#", "%" and control characters in a name are percent-encoded so
// that no name can add header fields to the command.
MailCommand BuildMailCommand(const IMemberTable& table, int kind, size_t limit = kMaxMailCommand);

// The text telling the user how many names the cut left out.
std::string MailCutNotice(int namesLeftOut);

// Hands a command to the system's mail program.
using MailOpener = std::function<void(const std::string& command)>;

// The Mail command: nothing before a lookup (CurrentObjectName empty); else builds the command
// and hands it to `open`. Returns the command built, if any.
std::optional<MailCommand> ToolButton6Click(const AppState& state, const IMemberTable& table,
                                            int kind, const MailOpener& open);

}  // namespace vorlix::core
