#include "help/core/system_menu.h"

#include <algorithm>

namespace vorlix::help {

namespace {

WindowMenuItem Separator(int command) {
  WindowMenuItem item;
  item.command = command;
  item.separator = true;
  return item;
}

WindowMenuItem Entry(int command, std::string caption) {
  WindowMenuItem item;
  item.command = command;
  item.caption = std::move(caption);
  return item;
}

}  // namespace

WindowMenu WindowMenu::Standard() {
  WindowMenu menu;
  menu.items_ = {Entry(0xF120, "&Restore"),  Entry(0xF010, "&Move"),     Entry(0xF000, "&Size"),
                 Entry(0xF020, "Mi&nimize"), Entry(0xF030, "Ma&ximize"), Separator(0),
                 Entry(0xF060, "&Close")};
  return menu;
}

void WindowMenu::Insert(int position, WindowMenuItem item) {
  const int at = std::clamp(position, 0, Count());
  items_.insert(items_.begin() + at, std::move(item));
}

bool WindowMenu::Remove(int command) {
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [command](const auto& item) { return item.command == command; });
  if (found == items_.end()) return false;
  items_.erase(found);
  return true;
}

WindowMenuItem* WindowMenu::Find(int command) {
  for (WindowMenuItem& item : items_) {
    if (item.command == command) return &item;
  }
  return nullptr;
}

void InsertMenuEntry(WindowMenu& menu, SystemMenuEntry& entry, const EntryState& button) {
  if (!entry.applyToMenu) return;
  int position = entry.position > menu.Count() + 1 ? menu.Count() : entry.position;
  WindowMenuItem item =
      Entry(kCaptionButtonCommand, entry.caption.empty() ? button.hint : entry.caption);
  item.isDefault = true;
  item.greyed = !button.enabled;
  item.checked = button.down;
  menu.Insert(position, std::move(item));
  if (entry.separators & seBefore) {
    menu.Insert(position, Separator(kSeparatorBeforeCommand));
    position += 2;
  } else {
    position += 1;
  }
  if (entry.separators & seAfter) menu.Insert(position, Separator(kSeparatorAfterCommand));
  entry.inserted = true;
}

void RemoveMenuEntry(WindowMenu& menu, SystemMenuEntry& entry) {
  if (!entry.inserted) return;
  menu.Remove(kCaptionButtonCommand);
  if (entry.separators & seBefore) menu.Remove(kSeparatorBeforeCommand);
  if (entry.separators & seAfter) menu.Remove(kSeparatorAfterCommand);
  entry.inserted = false;
}

}  // namespace vorlix::help
