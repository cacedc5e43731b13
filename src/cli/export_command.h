#pragma once
// The export command: the member table through an exporter with the main window's settings.

#include "cli/cli_context.h"

namespace vorlix::cli {

// export --kind K TEXT [--pick NAME] --format csv|xls|xlsx|pdf|txt|dif|sylk --output FILE|-
CommandRun DeclareExport(CLI::App& command);

}  // namespace vorlix::cli
