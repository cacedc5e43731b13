#pragma once
// The export command: the member table through an exporter with the main window's settings.

#include <ostream>
#include <string>
#include <vector>

#include "app/core/app_state.h"

namespace vorlix::cli {

// export --kind K TEXT [--pick NAME] --format csv|xls|xlsx|pdf|txt|dif|sylk --output FILE
int RunExport(core::AppState& state, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err);

}  // namespace vorlix::cli
