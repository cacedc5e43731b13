#include "cli/members_command.h"

#include "app/core/mail.h"
#include "cli/lookup_command.h"

namespace vorlix::cli {

namespace {

// Parses and runs the lookup; 0 when `lookup` holds a table of the kind given.
int Lookup(core::AppState& state, const std::vector<std::string>& args, CliLookup& lookup,
           int& kind, std::ostream& err) {
  std::string error;
  const auto arguments = ParseLookupArguments(args, {}, error);
  if (!arguments) {
    err << error << '\n';
    return kExitUsage;
  }
  kind = arguments->kind;
  return RunCliLookup(state, *arguments, lookup, err);
}

}  // namespace

int RunMembers(core::AppState& state, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
  CliLookup lookup;
  int kind = 0;
  if (const int code = Lookup(state, args, lookup, kind, err); code != kExitDone) return code;
  for (size_t c = 0; c < lookup.captions.size(); ++c) out << (c ? "\t" : "") << lookup.captions[c];
  out << '\n';
  for (const core::MemberRow& row : lookup.table.Rows()) {
    out << row.caption;
    for (const std::string& cell : row.cells) out << '\t' << cell;
    out << '\n';
  }
  err << lookup.panels[0] << '\t' << lookup.panels[1] << '\t' << lookup.panels[2] << '\n';
  return kExitDone;
}

int RunMailto(core::AppState& state, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err) {
  CliLookup lookup;
  int kind = 0;
  if (const int code = Lookup(state, args, lookup, kind, err); code != kExitDone) return code;
  const auto mail = core::ToolButton6Click(state, lookup.table, kind, nullptr);
  if (!mail) return kExitDone;
  out << mail->command << '\n';
  if (mail->namesLeftOut > 0) err << core::MailCutNotice(mail->namesLeftOut) << '\n';
  return kExitDone;
}

}  // namespace vorlix::cli
