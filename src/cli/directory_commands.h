#pragma once
// The directory commands of vorlix-cli: tree, find and read.

#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace vorlix::cli {

// tree: the tree name.
int RunTree(CliContext& context, const std::vector<std::string>& args);
// find --kind group|workstation TEXT: the full names of the matching objects, sorted.
int RunFind(CliContext& context, const std::vector<std::string>& args);
// read [--list|--integer] OBJECT ATTRIBUTE: an attribute as text, as a list or as an integer.
int RunRead(CliContext& context, const std::vector<std::string>& args);

// The class searched for a --kind value; throws UsageError for an unknown kind.
std::string ClassOfKind(const std::string& kind);

}  // namespace vorlix::cli
