#pragma once
// The window menu as a list of items, and the caption button's entry in it: inserted at a
// position with optional separators above and below, removed by command, checked while the
// button is down and greyed while it is disabled.

#include <string>
#include <vector>

namespace vorlix::help {

inline constexpr int kCaptionButtonCommand = 5712;
inline constexpr int kSeparatorBeforeCommand = 6712;
inline constexpr int kSeparatorAfterCommand = 7712;

struct WindowMenuItem {
  int command = 0;
  std::string caption;  // empty for a separator
  bool separator = false;
  bool checked = false;
  bool greyed = false;
  bool isDefault = false;
  bool operator==(const WindowMenuItem&) const = default;
};

class WindowMenu {
 public:
  // The items a window menu starts with: restore, move, size, minimise, maximise, a separator
  // and close.
  static WindowMenu Standard();

  const std::vector<WindowMenuItem>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Inserts before the item at `position`; a position past the end appends.
  void Insert(int position, WindowMenuItem item);
  // Removes the first item with the command; false when there is none.
  bool Remove(int command);
  WindowMenuItem* Find(int command);

 private:
  std::vector<WindowMenuItem> items_;
};

enum MenuSeparator : unsigned {
  seBefore = 1,
  seAfter = 2,
};

struct SystemMenuEntry {
  bool applyToMenu = false;
  std::string caption;  // when empty, the button's hint
  int position = 0;
  unsigned separators = 0;  // MenuSeparator flags
  bool inserted = false;
};

struct EntryState {
  std::string hint;
  bool enabled = true;
  bool down = false;
};

// Inserts the entry when applyToMenu is on. A position more than one past the last item means
// the end.
void InsertMenuEntry(WindowMenu& menu, SystemMenuEntry& entry, const EntryState& button);
// Removes the entry and its separators when it is inserted.
void RemoveMenuEntry(WindowMenu& menu, SystemMenuEntry& entry);

}  // namespace vorlix::help
