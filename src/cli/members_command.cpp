#include "cli/members_command.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "app/core/mail.h"
#include "app/core/member_table_model.h"
#include "cli/command_options.h"
#include "cli/lookup_command.h"
#include "cli/table_output.h"

namespace vorlix::cli {

namespace {

struct MembersArguments {
  LookupArguments lookup;
  std::string format = "tsv";
};

int RunMembers(CliContext& context, const MembersArguments& arguments) {
  core::AppState state = StateFor(context);
  CliLookup lookup;
  if (const int code = OpenCliLookup(state, arguments.lookup, lookup, context); code != kExitDone) {
    return code;
  }
  const core::Listing& head = lookup.listing->Head();
  TableWriter table(context.out, TableFormatOf(arguments.format), head.captions);
  const int code =
      ReadCliRows(lookup, context, [&table](const core::MemberRow& row) { table.Write(row); });
  if (code != kExitDone) return code;
  table.Finish();
  const int listed = TellUnreadable(lookup, context);
  // A tab-separated line for scripts, in every format: escaped as TSV rows are.
  context.messages.Data(std::to_string(head.count) + '\t' + TsvField(head.description) + '\t' +
                        TsvField(head.objectName) + '\n');
  return listed;
}

int RunMailto(CliContext& context, const LookupArguments& arguments) {
  core::AppState state = StateFor(context);
  CliLookup lookup;
  if (const int code = OpenCliLookup(state, arguments, lookup, context); code != kExitDone) {
    return code;
  }
  core::MemberTableModel table;
  const int code =
      ReadCliRows(lookup, context, [&table](const core::MemberRow& row) { table.AddRow(row); });
  if (code != kExitDone) return code;
  const int listed = TellUnreadable(lookup, context);
  const auto mail = core::ComposeMail(state, table, lookup.kind, nullptr);
  if (!mail) return listed;
  context.out << mail->command << '\n';
  if (mail->namesLeftOut > 0) context.messages.Notice(core::MailCutNotice(mail->namesLeftOut));
  return listed;
}

}  // namespace

CommandRun DeclareMembers(CLI::App& command) {
  auto arguments = std::make_shared<MembersArguments>();
  AddLookupArguments(command, arguments->lookup);
  AddChoiceOption(command, "--format", arguments->format, TableFormatNames(),
                  "tab-separated (the default), CSV, or JSON objects keyed by the captions",
                  Presence::kOptional);
  return [arguments](CliContext& context) { return RunMembers(context, *arguments); };
}

CommandRun DeclareMailto(CLI::App& command) {
  auto arguments = std::make_shared<LookupArguments>();
  AddLookupArguments(command, *arguments);
  return [arguments](CliContext& context) { return RunMailto(context, *arguments); };
}

}  // namespace vorlix::cli
