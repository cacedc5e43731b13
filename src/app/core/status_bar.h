#pragma once
// The three status panels: 0 member count, 1 description, 2 full name of the object; and a notice
// beside them.

#include <string>

namespace vorlix::core {

class IStatusBar {
 public:
  virtual ~IStatusBar() = default;
  virtual void SetPanel(int index, const std::string& text) = 0;
  // What the user should know beside the panels, though nothing failed (parts of the directory
  // not searched, a certificate check that is off); empty takes it away. A status bar without a
  // place for it ignores it.
  virtual void SetNotice(const std::string& /*text*/) {}
};

}  // namespace vorlix::core
