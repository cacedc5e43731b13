#pragma once
// The three status panels: 0 member count, 1 description, 2 full name of the object.

#include <string>

namespace vorlix::core {

class IStatusBar {
 public:
  virtual ~IStatusBar() = default;
  virtual void SetPanel(int index, const std::string& text) = 0;
};

}  // namespace vorlix::core
