#pragma once
// Which control's hint the context help shows. A hint is a short part and a long part separated
// by the first "|"; without "|" the whole text is both. Help shows the long part of the first
// control, from the one under the pointer outwards through its parents, that has one; push
// buttons without one get a standard text by their modal result or caption.

#include <optional>
#include <string>
#include <string_view>

namespace vorlix::help {

// A control with this tag and no long hint of its own lends its owner's help.
inline constexpr int kOwnerHelpTag = 666;

// Modal results that select a standard push-button text.
enum ModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrYes = 6,
  mrNo = 7,
};

std::string ShortHint(std::string_view hint);
std::string LongHint(std::string_view hint);

// The standard help text of a push button: by modal result, else by an "Apply" or "Help" in its
// caption; empty when none applies.
std::string StandardButtonText(int modalResult, std::string_view caption);

struct PushButtonFacts {
  int modalResult = mrNone;
  std::string caption;
};

// Chooses the help control, starting at `control`. The tree tells about its controls:
//   using Control = ...;                          // a handle, false when none
//   std::string Hint(Control);
//   int Tag(Control);
//   Control OwnerControl(Control);                // the owner when it is a control
//   Control Parent(Control);
//   std::optional<PushButtonFacts> PushButton(Control);
//   void SetHint(Control, const std::string&);
// A push button that gets a standard text keeps it: its hint becomes its short part, "|" and
// the text.
template <class Tree>
typename Tree::Control ChooseHelpControl(Tree& tree, typename Tree::Control control) {
  while (control) {
    const std::string hint = tree.Hint(control);
    const bool hasLongHint = !LongHint(hint).empty();
    if (!hasLongHint && tree.Tag(control) == kOwnerHelpTag) {
      if (typename Tree::Control owner = tree.OwnerControl(control)) {
        control = owner;
        continue;
      }
    }
    if (hasLongHint) return control;
    if (const std::optional<PushButtonFacts> button = tree.PushButton(control)) {
      const std::string text = StandardButtonText(button->modalResult, button->caption);
      if (!text.empty()) {
        tree.SetHint(control, ShortHint(hint) + "|" + text);
        return control;
      }
    }
    control = tree.Parent(control);
  }
  return control;
}

}  // namespace vorlix::help
