#pragma once
// The members and mailto commands.

#include <ostream>
#include <string>
#include <vector>

#include "app/core/app_state.h"

namespace vorlix::cli {

// members --kind K TEXT [--pick NAME]: the captions, then one tab-separated line per row;
// stderr gets count, description and full name, tab-separated.
int RunMembers(core::AppState& state, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

// mailto --kind K TEXT [--pick NAME]: the "MAILTO:" command for all rows.
int RunMailto(core::AppState& state, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err);

}  // namespace vorlix::cli
