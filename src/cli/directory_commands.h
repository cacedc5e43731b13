#pragma once
// The directory commands of vorlix-cli: tree, find and read.

#include "cli/cli_context.h"

namespace vorlix::cli {

// tree: the tree name.
CommandRun DeclareTree(CLI::App& command);
// find --kind group|workstation TEXT: the full names of the matching objects, sorted.
CommandRun DeclareFind(CLI::App& command);
// read [--list|--integer] OBJECT ATTRIBUTE: an attribute as text, as a list or as an integer.
CommandRun DeclareRead(CLI::App& command);

}  // namespace vorlix::cli
