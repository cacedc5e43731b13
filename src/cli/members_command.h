#pragma once
// The members and mailto commands.

#include "cli/cli_context.h"

namespace vorlix::cli {

// members --kind K TEXT [--pick NAME] [--format tsv|csv|json]: the captions, then one line per
// row (see table_output.h); stderr gets count, description and full name, tab-separated.
CommandRun DeclareMembers(CLI::App& command);

// mailto --kind K TEXT [--pick NAME]: the "MAILTO:" command for all rows.
CommandRun DeclareMailto(CLI::App& command);

}  // namespace vorlix::cli
