#pragma once
// The member-table commands of vorlix-cli, over the lookup of the window's core: members, mailto
// and export.

#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace vorlix::cli {

int RunMembersCommand(CliContext& context, const std::vector<std::string>& args);
int RunMailtoCommand(CliContext& context, const std::vector<std::string>& args);
int RunExportCommand(CliContext& context, const std::vector<std::string>& args);

}  // namespace vorlix::cli
