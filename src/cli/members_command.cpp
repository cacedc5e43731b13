#include "cli/members_command.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "app/core/mail.h"
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
  if (const int code = RunCliLookup(state, arguments.lookup, lookup, context); code != kExitDone) {
    return code;
  }
  WriteTable(context.out, TableFormatOf(arguments.format), lookup.captions, lookup.table.Rows());
  // A tab-separated line for scripts, in every format: escaped as TSV rows are.
  context.err << TsvField(lookup.panels[0]) << '\t' << TsvField(lookup.panels[1]) << '\t'
              << TsvField(lookup.panels[2]) << '\n';
  return ListedExitCode(lookup);
}

int RunMailto(CliContext& context, const LookupArguments& arguments) {
  core::AppState state = StateFor(context);
  CliLookup lookup;
  if (const int code = RunCliLookup(state, arguments, lookup, context); code != kExitDone) {
    return code;
  }
  const auto mail = core::ToolButton6Click(state, lookup.table, lookup.kind, nullptr);
  if (!mail) return ListedExitCode(lookup);
  context.out << mail->command << '\n';
  if (mail->namesLeftOut > 0) context.err << core::MailCutNotice(mail->namesLeftOut) << '\n';
  return ListedExitCode(lookup);
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
