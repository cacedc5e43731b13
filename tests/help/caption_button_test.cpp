#include "help/core/caption_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help/core/system_menu.h"

namespace vorlix::help {
namespace {

// Records the notifications by name; redraws are left out.
class Recorder : public CaptionButtonEvents {
 public:
  std::vector<std::string> log;
  void BeforeClick() override { log.push_back("BeforeClick"); }
  void Click() override { log.push_back("Click"); }
  void BeforeSystemMenuClick() override { log.push_back("BeforeSystemMenuClick"); }
  void SystemMenuClick() override { log.push_back("SystemMenuClick"); }
  void Changed(bool down) override { log.push_back(down ? "Changed(down)" : "Changed(up)"); }
  void ButtonDown() override { log.push_back("Down"); }
  void ButtonUp() override { log.push_back("Up"); }
  void Redraw() override {}
  void HoldMouse(bool hold) override { log.push_back(hold ? "Hold" : "LetGo"); }
  void ShowDropdown() override { log.push_back("ShowDropdown"); }
  void DropdownCommand() override { log.push_back("DropdownCommand"); }
  void CheckMenuEntry(bool checked) override { log.push_back(checked ? "Check" : "Uncheck"); }
};

using Log = std::vector<std::string>;

TEST(HelpCaptionButton, ToggleButtonGoesDownAndUpOnClicks) {
  Recorder events;
  CaptionButtonMachine button(events);
  button.settings.toggle = true;

  button.Press();
  EXPECT_TRUE(button.IsDrawnDown());
  EXPECT_FALSE(button.IsDown());
  button.Release();
  EXPECT_EQ(events.log,
            (Log{"Hold", "LetGo", "BeforeClick", "Check", "Down", "Click", "Changed(down)"}));
  EXPECT_TRUE(button.IsDown());
  EXPECT_TRUE(button.IsDrawnDown());

  events.log.clear();
  button.Press();
  button.Release();
  EXPECT_EQ(events.log,
            (Log{"Hold", "LetGo", "BeforeClick", "Uncheck", "Up", "Click", "Changed(up)"}));
  EXPECT_FALSE(button.IsDrawnDown());
}

TEST(HelpCaptionButton, LeavingTheButtonBeforeReleaseIsNoClick) {
  Recorder events;
  CaptionButtonMachine button(events);
  button.Press();
  button.PointerOver(false);
  EXPECT_FALSE(button.IsDrawnDown());
  button.PointerOver(true);
  EXPECT_TRUE(button.IsDrawnDown());
  button.PointerOver(false);
  button.Release();
  EXPECT_EQ(events.log, (Log{"Hold", "LetGo"}));
  // Without a press, moves and releases do nothing.
  events.log.clear();
  button.PointerOver(true);
  button.Release();
  EXPECT_TRUE(events.log.empty());
  EXPECT_FALSE(button.IsDrawnDown());
}

TEST(HelpCaptionButton, PushButtonClicksWithoutStayingDown) {
  Recorder events;
  CaptionButtonMachine button(events);
  button.Press();
  button.Release();
  EXPECT_EQ(events.log, (Log{"Hold", "LetGo", "BeforeClick", "Click", "Changed(up)"}));
  EXPECT_FALSE(button.IsDrawnDown());
}

TEST(HelpCaptionButton, DisabledOrHiddenButtonIgnoresPresses) {
  Recorder events;
  CaptionButtonMachine button(events);
  button.settings.enabled = false;
  button.Press();
  button.Release();
  button.settings.enabled = true;
  button.settings.visible = false;
  button.Press();
  button.Release();
  EXPECT_TRUE(events.log.empty());
}

TEST(HelpCaptionButton, PressElsewhereLetsGoButKeepsTheToggleState) {
  Recorder events;
  CaptionButtonMachine button(events);
  button.settings.toggle = true;
  button.SetDown(true);
  button.Press();
  button.PressElsewhere();
  EXPECT_EQ(events.log, (Log{"Check", "Hold", "LetGo"}));
  EXPECT_TRUE(button.IsDown());
  EXPECT_TRUE(button.IsDrawnDown());
  EXPECT_FALSE(button.HoldsMouse());
  // Set from outside: no click notifications, the entry's check follows.
  events.log.clear();
  button.SetDown(false);
  button.SetDown(false);
  EXPECT_EQ(events.log, (Log{"Uncheck"}));
}

TEST(HelpCaptionButton, MenuEntryRunsItsOwnClickOrTheDropdownsCommand) {
  Recorder events;
  CaptionButtonMachine button(events);
  button.settings.toggle = true;
  button.SystemMenuCommand();
  EXPECT_EQ(events.log,
            (Log{"BeforeSystemMenuClick", "Check", "Down", "SystemMenuClick", "Changed(down)"}));

  events.log.clear();
  button.settings.hasDropdown = true;
  button.SystemMenuCommand();
  EXPECT_EQ(events.log, (Log{"DropdownCommand"}));
  EXPECT_TRUE(button.IsDown());
  // A click with a drop-down menu pops it up after the click.
  events.log.clear();
  button.Press();
  button.Release();
  EXPECT_EQ(events.log.back(), "ShowDropdown");
}

std::vector<int> Commands(const WindowMenu& menu) {
  std::vector<int> commands;
  for (const WindowMenuItem& item : menu.Items()) commands.push_back(item.command);
  return commands;
}

TEST(HelpSystemMenu, EntryWithSeparatorBeforeIsAppendedToASevenItemMenu) {
  WindowMenu menu = WindowMenu::Standard();
  ASSERT_EQ(menu.Count(), 7);
  SystemMenuEntry entry;
  entry.applyToMenu = true;
  entry.caption = "&What's This?";
  entry.position = 7;
  entry.separators = seBefore;
  InsertMenuEntry(menu, entry, {"Help", true, false});
  ASSERT_EQ(menu.Count(), 9);
  EXPECT_TRUE(entry.inserted);
  EXPECT_EQ(menu.Items()[7].command, kSeparatorBeforeCommand);
  EXPECT_TRUE(menu.Items()[7].separator);
  const WindowMenuItem& item = menu.Items()[8];
  EXPECT_EQ(item.command, kCaptionButtonCommand);
  EXPECT_EQ(item.caption, "&What's This?");
  EXPECT_TRUE(item.isDefault);
  EXPECT_FALSE(item.greyed || item.checked);

  RemoveMenuEntry(menu, entry);
  EXPECT_EQ(Commands(menu), Commands(WindowMenu::Standard()));
  EXPECT_FALSE(entry.inserted);
}

TEST(HelpSystemMenu, PositionSeparatorsAndStateOfTheEntry) {
  const WindowMenu standard = WindowMenu::Standard();
  SystemMenuEntry entry;
  entry.applyToMenu = true;
  entry.position = 2;
  entry.separators = seBefore | seAfter;
  WindowMenu menu = standard;
  // No caption: the button's hint. Disabled and down: greyed and checked.
  InsertMenuEntry(menu, entry, {"Help", false, true});
  const std::vector<int> commands = Commands(menu);
  EXPECT_EQ(
      std::vector<int>(commands.begin() + 2, commands.begin() + 5),
      (std::vector<int>{kSeparatorBeforeCommand, kCaptionButtonCommand, kSeparatorAfterCommand}));
  EXPECT_EQ(menu.Find(kCaptionButtonCommand)->caption, "Help");
  EXPECT_TRUE(menu.Find(kCaptionButtonCommand)->greyed);
  EXPECT_TRUE(menu.Find(kCaptionButtonCommand)->checked);
  RemoveMenuEntry(menu, entry);
  EXPECT_EQ(Commands(menu), Commands(standard));

  // More than one past the end means the end; one past the end is taken as it is.
  for (int position : {8, 100}) {
    WindowMenu far = standard;
    SystemMenuEntry last;
    last.applyToMenu = true;
    last.position = position;
    InsertMenuEntry(far, last, {"Help", true, false});
    EXPECT_EQ(far.Items().back().command, kCaptionButtonCommand) << position;
  }
  // ApplyToMenu off: nothing.
  WindowMenu untouched = standard;
  SystemMenuEntry off;
  InsertMenuEntry(untouched, off, {"Help", true, false});
  EXPECT_EQ(untouched.Count(), 7);
  EXPECT_FALSE(off.inserted);
}

}  // namespace
}  // namespace vorlix::help
