#pragma once
// The status bar's three panels, left to right: the member count, the object's description, its
// full name.

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
};

}  // namespace vorlix::core
