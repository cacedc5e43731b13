#include "cli/core_commands.h"

#include "app/core/configuration.h"
#include "cli/export_command.h"
#include "cli/members_command.h"

namespace vorlix::cli {

namespace {

// The program state for one command: the client and context that main opened (and closes), and
// the phone settings of the configuration that main read.
core::AppState StateFor(const CliContext& context) {
  core::AppState state;
  state.client = &context.client;
  state.DirectoryContext = context.context;
  core::ApplyPhoneSettings(context.options.configuration, state);
  return state;
}

}  // namespace

int RunMembersCommand(CliContext& context, const std::vector<std::string>& args) {
  core::AppState state = StateFor(context);
  return RunMembers(state, args, context.out, context.err);
}

int RunMailtoCommand(CliContext& context, const std::vector<std::string>& args) {
  core::AppState state = StateFor(context);
  return RunMailto(state, args, context.out, context.err);
}

int RunExportCommand(CliContext& context, const std::vector<std::string>& args) {
  core::AppState state = StateFor(context);
  return RunExport(state, args, context.out, context.err);
}

}  // namespace vorlix::cli
