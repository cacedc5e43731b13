#include "help/core/caption_button.h"

namespace vorlix::help {

void CaptionButtonMachine::Press() {
  if (!settings.enabled || !settings.visible) return;
  pressed_ = true;
  holding_ = true;
  events_.HoldMouse(true);
  events_.Redraw();
}

void CaptionButtonMachine::PressElsewhere() {
  pressed_ = false;
  if (holding_) {
    holding_ = false;
    events_.HoldMouse(false);
  }
  events_.Redraw();
}

void CaptionButtonMachine::PointerOver(bool over) {
  if (!holding_ || pressed_ == over) return;
  pressed_ = over;
  events_.Redraw();
}

void CaptionButtonMachine::Release() {
  if (!holding_) return;
  holding_ = false;
  events_.HoldMouse(false);
  if (!pressed_) return;
  pressed_ = false;
  RunClick(ClickFrom::kButton);
  if (settings.hasDropdown) events_.ShowDropdown();
  events_.Redraw();
}

void CaptionButtonMachine::SystemMenuCommand() {
  if (settings.hasDropdown) {
    events_.DropdownCommand();
    return;
  }
  RunClick(ClickFrom::kSystemMenu);
  events_.Redraw();
}

void CaptionButtonMachine::SetDown(bool down) {
  if (down_ == down) return;
  down_ = down;
  events_.CheckMenuEntry(down_);
  events_.Redraw();
}

void CaptionButtonMachine::RunClick(ClickFrom from) {
  if (from == ClickFrom::kSystemMenu) {
    events_.BeforeSystemMenuClick();
  } else {
    events_.BeforeClick();
  }
  if (settings.toggle) {
    down_ = !down_;
    events_.CheckMenuEntry(down_);
    if (down_) {
      events_.ButtonDown();
    } else {
      events_.ButtonUp();
    }
  }
  if (from == ClickFrom::kSystemMenu) {
    events_.SystemMenuClick();
  } else {
    events_.Click();
  }
  events_.Changed(down_);
}

}  // namespace vorlix::help
