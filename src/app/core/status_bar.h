#pragma once
// The status bar's three panels, left to right: the member count, the object's description, its
// full name; and a notice beside them.

#include <array>
#include <string>

namespace vorlix::core {

enum class StatusPanel { Count, Description, ObjectName };
inline constexpr std::array<StatusPanel, 3> kStatusPanels = {
    StatusPanel::Count, StatusPanel::Description, StatusPanel::ObjectName};

// The position of `panel` in the status bar, 0 at the left.
constexpr int PanelIndex(StatusPanel panel) {
  return static_cast<int>(panel);
}

class IStatusBar {
 public:
  virtual ~IStatusBar() = default;
  virtual void SetPanel(StatusPanel panel, const std::string& text) = 0;
  // What the user should know beside the panels, though nothing failed (parts of the directory
  // not searched, a certificate check that is off); empty takes it away. A status bar without a
  // place for it ignores it.
  virtual void SetNotice(const std::string& /*text*/) {}
};

}  // namespace vorlix::core
