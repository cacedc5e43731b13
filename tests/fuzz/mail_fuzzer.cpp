// The mail command builder: the input is a member table (fuzz_support.h's layout; the first
// option byte's low bit chooses the kind, the second marks unticked rows, the parameter byte the
// limit). Whatever the names hold, the command stays within its limit, is plain printable ASCII,
// and every name in it decodes back to the short name it stands for, in table order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/core/kinds.h"
#include "app/core/mail.h"
#include "app/core/member_table_model.h"
#include "fuzz_support.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes a percent-encoded name stands for; fails on a "%" without two capital hex digits.
std::string Decoded(const std::string& encoded) {
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] != '%') {
      out += encoded[i];
      continue;
    }
    if (i + 2 >= encoded.size() || HexValue(encoded[i + 1]) < 0 || HexValue(encoded[i + 2]) < 0)
      vorlix::fuzz::Fail("a \"%\" that starts no escape in " + encoded);
    out += static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
    i += 2;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorlix;
  const fuzz::GeneratedTable generated = fuzz::DecodeTable(data, size);
  const int kind = (generated.options & 1) != 0 ? core::kKindWorkstationGroup : core::kKindGroup;
  const size_t limit =
      generated.parameter == 0 ? core::kMaxMailCommand : 7 + size_t{generated.parameter} * 4;
  core::MemberTableModel table;
  for (size_t r = 0; r < generated.rows.size(); ++r) {
    core::MemberRow row;
    row.caption = generated.rows[r][0];
    if (generated.rows[r].size() > 1) row.cells[0] = generated.rows[r][1];
    row.checked = ((generated.moreOptions >> (r % 8)) & 1) == 0;
    table.AddRow(row);
  }

  // The names the command is to hold: ticked rows top to bottom, each short name once.
  std::vector<std::string> expected;
  std::unordered_set<std::string> seen;
  for (int i = 0; i < table.RowCount(); ++i) {
    const core::MemberRow row = table.Row(i);
    const std::string name = core::ShortName(kind == core::kKindGroup ? row.caption : row.cells[0]);
    if (row.checked && !name.empty() && seen.insert(name).second) expected.push_back(name);
  }

  const core::MailCommand mail = core::BuildMailCommand(table, kind, limit);
  const std::string prefix = "MAILTO:";
  if (mail.command.rfind(prefix, 0) != 0) fuzz::Fail("the command lacks MAILTO:");
  if (mail.command.size() > limit) {
    fuzz::Fail("the command has " + std::to_string(mail.command.size()) +
               " characters, more than its limit of " + std::to_string(limit));
  }
  for (const char c : mail.command) {
    if (c <= ' ' || static_cast<unsigned char>(c) >= 0x7F || c == '?' || c == '#' || c == ',')
      fuzz::Fail("the command holds a byte the mail program would change or read as syntax");
  }
  std::vector<std::string> decoded;
  size_t start = prefix.size();
  for (size_t end; (end = mail.command.find(';', start)) != std::string::npos; start = end + 1)
    decoded.push_back(Decoded(mail.command.substr(start, end - start)));
  if (start != mail.command.size()) fuzz::Fail("the command does not end after a name");
  if (mail.namesListed < 0 || static_cast<size_t>(mail.namesListed) != decoded.size() ||
      static_cast<size_t>(mail.namesListed + mail.namesLeftOut) != expected.size()) {
    fuzz::Fail("the counts of names listed and left out do not add up");
  }
  for (size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] != expected[i]) fuzz::Fail("a name does not decode back: " + decoded[i]);
  }
  // The list ends only where the next name would not fit.
  if (mail.namesLeftOut > 0 &&
      mail.command.size() + core::EncodeRecipient(expected[decoded.size()]).size() + 1 <= limit) {
    fuzz::Fail("a name that fits was left out");
  }
  return 0;
}
