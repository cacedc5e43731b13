#include "app/core/mail.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/core/kinds.h"
#include "directory/dotted_name.h"

namespace vorlix::core {

namespace {

constexpr char kMailPrefix[] = "MAILTO:";

// Whether a byte goes into the command as it is: letters, digits and the characters an address
// of a MAILTO: command may hold without encoding (RFC 6068), but for "," and ";", which separate
// recipients.
bool PlainInCommand(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("-._~!$'()*+=:@&/").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string EncodeRecipient(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (PlainInCommand(u)) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    }
  }
  return out;
}

namespace {}  // namespace

std::string ShortName(const std::string& name) {
  // The dotted name's own reading: "\." a plain dot, "\\" a backslash.
  return directory::SplitDottedName(name, directory::TypePrefix::kKept).front();
}

MailCommand BuildMailCommand(const IMemberTable& table, Kind kind, size_t limit) {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  const int count = table.RowCount();
  for (int i = 0; i < count; ++i) {
    const MemberRow row = table.Row(i);
    // A registered user that could not be read has the marker in its place, no name.
    if (!row.checked || (kind != Kind::Group && row.CellUnreadable(1))) continue;
    std::string name = ShortName(kind == Kind::Group ? row.caption : row.cells[0]);
    if (name.empty() || !seen.insert(name).second) continue;
    names.push_back(std::move(name));
  }

  MailCommand mail;
  mail.command = kMailPrefix;
  for (const std::string& name : names) {
    const std::string entry = EncodeRecipient(name) + ";";
    if (mail.command.size() + entry.size() > limit) break;
    mail.command += entry;
    ++mail.namesListed;
  }
  mail.namesLeftOut = static_cast<int>(names.size()) - mail.namesListed;
  return mail;
}

std::string MailCutNotice(int namesLeftOut) {
  return "A mail command holds at most " + std::to_string(kMaxMailCommand) +
         " characters: " + std::to_string(namesLeftOut) +
         (namesLeftOut == 1 ? " name was" : " names were") + " left out of the recipients.";
}

std::optional<MailCommand> ComposeMail(const AppState& state, const IMemberTable& table, Kind kind,
                                       const MailOpener& open) {
  if (state.CurrentObjectName.empty()) return std::nullopt;
  MailCommand mail = BuildMailCommand(table, kind);
  if (open) open(mail.command);
  return mail;
}

}  // namespace vorlix::core
