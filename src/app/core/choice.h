#pragma once
// The choice among several matching objects: shown modally, returns the chosen row's text (which
// the user may have edited in place) or nothing when the choice was cancelled.

#include <optional>
#include <string>
#include <vector>

namespace vorlix::core {

class IChoiceDialog {
 public:
  virtual ~IChoiceDialog() = default;
  // `names` in the order to show them; no row is selected at first.
  virtual std::optional<std::string> Choose(const std::vector<std::string>& names) = 0;
};

}  // namespace vorlix::core
