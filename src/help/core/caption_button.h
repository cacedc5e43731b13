#pragma once
// The state machine of the extra title-bar button: pressed (drawn down while the pointer stays
// on it), clicked on release, and in toggle mode down or up until toggled again or set from
// outside. The same click runs from the button's system-menu entry.

namespace vorlix::help {

// What the machine tells the component that owns the button, in the order it happens.
class CaptionButtonEvents {
 public:
  virtual ~CaptionButtonEvents() = default;
  virtual void BeforeClick() = 0;
  virtual void Click() = 0;
  virtual void BeforeSystemMenuClick() = 0;
  virtual void SystemMenuClick() = 0;
  virtual void Changed(bool down) = 0;  // after every click, with the toggle state
  virtual void ButtonDown() = 0;        // toggled down
  virtual void ButtonUp() = 0;          // toggled up
  virtual void Redraw() = 0;            // the drawn state may have changed
  virtual void HoldMouse(bool hold) = 0;
  virtual void ShowDropdown() = 0;     // pop the drop-down menu up below the button
  virtual void DropdownCommand() = 0;  // the menu entry hands its command to the drop-down menu
  virtual void CheckMenuEntry(bool checked) = 0;
};

struct CaptionButtonSettings {
  bool toggle = false;
  bool enabled = true;
  bool visible = true;
  bool hasDropdown = false;
};

class CaptionButtonMachine {
 public:
  explicit CaptionButtonMachine(CaptionButtonEvents& events) : events_(events) {}

  CaptionButtonSettings settings;

  // A left press on the button (ignored while it is disabled or hidden).
  void Press();
  // A press anywhere else in the frame: drawn up unless toggled down, and the mouse let go.
  void PressElsewhere();
  // The pointer moved while the press holds the mouse.
  void PointerOver(bool over);
  // The left button came up: a press still drawn down becomes a click.
  void Release();
  // The button's system-menu entry was chosen.
  void SystemMenuCommand();
  // Sets the toggle state from outside, without a click.
  void SetDown(bool down);

  bool IsDown() const { return down_; }
  bool IsDrawnDown() const { return pressed_ || down_; }
  bool HoldsMouse() const { return holding_; }

 private:
  // Where a click came from: the button itself or its system-menu entry.
  enum class ClickFrom { kButton, kSystemMenu };
  void RunClick(ClickFrom from);

  CaptionButtonEvents& events_;
  bool down_ = false;
  bool pressed_ = false;
  bool holding_ = false;
};

}  // namespace vorlix::help
