#pragma once
// Mail to the ticked members: their short names in a "MAILTO:" command.

#include <functional>
#include <optional>
#include <string>

#include "app/core/app_state.h"
#include "app/core/member_table.h"

namespace vorlix::core {

// Longest mail command handed to the mail program, counted as it is handed over (encoded).
inline constexpr size_t kMaxMailCommand = 1000;

// The leftmost component of a dotted directory name, "\." read as a plain dot and "\\" as a
// backslash.
std::string ShortName(const std::string& name);

struct MailCommand {
  std::string command;  // "MAILTO:" followed by "name;" per recipient
  int namesListed = 0;
  int namesLeftOut = 0;  // distinct names that did not fit into kMaxMailCommand characters
};

// A recipient as the command carries it: every byte but letters, digits and "-._~!$'()*+=:@&/"
// percent-encoded (blanks, non-ASCII bytes, "?", "#", "%", ",", ";" and control characters
// among them), so that the command is handed to the mail program as it is, no name can end the
// address list or add header fields, and each name decodes back to itself.
std::string EncodeRecipient(const std::string& name);

// The command for the ticked rows, top to bottom: the short name of the first-column text
// (kind 0) or of cell 1, the registered user (other kinds); empty names and names already listed
// are skipped. Each name is encoded (EncodeRecipient). When the encoded names need more than
// `limit` characters, the list ends before the first name that does not fit.
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
