#include "help/core/hint_choice.h"

#include <gtest/gtest.h>

#include <map>

namespace vorlix::help {
namespace {

// Controls by number; 0 is none.
struct FakeControl {
  std::string hint;
  int tag = 0;
  int owner = 0;
  bool ownerIsControl = true;
  int parent = 0;
  std::optional<PushButtonFacts> button;
};

struct FakeTree {
  using Control = int;
  std::map<int, FakeControl> controls;
  std::string Hint(int c) { return controls[c].hint; }
  int Tag(int c) { return controls[c].tag; }
  int OwnerControl(int c) { return controls[c].ownerIsControl ? controls[c].owner : 0; }
  int Parent(int c) { return controls[c].parent; }
  std::optional<PushButtonFacts> PushButton(int c) { return controls[c].button; }
  void SetHint(int c, const std::string& hint) { controls[c].hint = hint; }
};

TEST(HelpHintChoice, ShortAndLongParts) {
  EXPECT_EQ(LongHint("Exit"), "Exit");
  EXPECT_EQ(ShortHint("Exit"), "Exit");
  EXPECT_EQ(LongHint("|Here the program show the result"), "Here the program show the result");
  EXPECT_EQ(ShortHint("|Here"), "");
  EXPECT_EQ(LongHint("a|b|c"), "b|c");
  EXPECT_EQ(ShortHint("a|b|c"), "a");
  EXPECT_EQ(LongHint("Short|"), "");
}

TEST(HelpHintChoice, TheFirstLongHintOutwardsFromTheControlWins) {
  FakeTree tree;
  tree.controls[1] = {"", 0, 9, true, 0, {}};  // form without a hint
  tree.controls[2] = {"Panel|panel help", 0, 1, true, 1, {}};
  tree.controls[3] = {"", 0, 1, true, 2, {}};  // empty hint inside the panel
  tree.controls[4] = {"Exit", 0, 1, true, 2, {}};
  tree.controls[5] = {"Tip only|", 0, 1, true, 1, {}};  // short part only
  EXPECT_EQ(ChooseHelpControl(tree, 4), 4);
  EXPECT_EQ(ChooseHelpControl(tree, 3), 2);
  EXPECT_EQ(ChooseHelpControl(tree, 5), 0);
  EXPECT_EQ(ChooseHelpControl(tree, 1), 0);
  EXPECT_EQ(ChooseHelpControl(tree, 0), 0);
}

TEST(HelpHintChoice, Tag666LendsTheOwnersHelpWhenTheOwnerIsAControl) {
  FakeTree tree;
  tree.controls[1] = {"|form help", 0, 0, false, 0, {}};
  tree.controls[2] = {"|panel help", 0, 1, true, 1, {}};
  tree.controls[3] = {"", kOwnerHelpTag, 1, true, 2, {}};
  tree.controls[4] = {"", kOwnerHelpTag, 7, false, 2, {}};  // owner is no control: parent
  tree.controls[5] = {"|own", kOwnerHelpTag, 1, true, 2, {}};
  EXPECT_EQ(ChooseHelpControl(tree, 3), 1);
  EXPECT_EQ(ChooseHelpControl(tree, 4), 2);
  EXPECT_EQ(ChooseHelpControl(tree, 5), 5);
}

TEST(HelpHintChoice, PushButtonsGetAStandardTextForGood) {
  FakeTree tree;
  tree.controls[1] = {"|dialog help", 0, 0, false, 0, {}};
  tree.controls[2] = {"", 0, 1, true, 1, PushButtonFacts{mrCancel, "Cancel"}};
  tree.controls[3] = {"Go", 0, 1, true, 1, PushButtonFacts{mrNone, "&Apply"}};
  tree.controls[4] = {"Go|", 0, 1, true, 1, PushButtonFacts{mrNone, "Help me"}};
  tree.controls[5] = {"", 0, 1, true, 1, PushButtonFacts{mrNone, "Start"}};
  tree.controls[6] = {"|own text", 0, 1, true, 1, PushButtonFacts{mrOk, "OK"}};

  EXPECT_EQ(ChooseHelpControl(tree, 2), 2);
  EXPECT_EQ(tree.controls[2].hint,
            "|Closes the dialog box without saving any changes you have made.");
  // A hint without "|" is a long hint already.
  EXPECT_EQ(ChooseHelpControl(tree, 3), 3);
  EXPECT_EQ(tree.controls[3].hint, "Go");
  EXPECT_EQ(ChooseHelpControl(tree, 4), 4);
  EXPECT_EQ(tree.controls[4].hint, "Go|Click to display an overview of the dialog box.");
  // No standard text: the parent's help.
  EXPECT_EQ(ChooseHelpControl(tree, 5), 1);
  EXPECT_EQ(tree.controls[5].hint, "");
  EXPECT_EQ(ChooseHelpControl(tree, 6), 6);
  EXPECT_EQ(tree.controls[6].hint, "|own text");
}

TEST(HelpHintChoice, StandardTextsByModalResultThenCaption) {
  EXPECT_EQ(StandardButtonText(mrOk, "Help"),
            "Closes the dialog box and saves any changes you have made.");
  EXPECT_EQ(StandardButtonText(mrYes, ""),
            "Closes the dialog box and confirms the question with affirmative response (i.e: "
            "allows the requested action).");
  EXPECT_EQ(StandardButtonText(mrNo, ""),
            "Closes the dialog box without confirmation of the question. (Negative response, i.e: "
            "disallows the requested action.)");
  EXPECT_EQ(StandardButtonText(mrNone, "Apply Help"),
            "Saves all the changes you have made without closing the dialog box.");
  EXPECT_EQ(StandardButtonText(3, "help"), "");  // the caption test minds case
  EXPECT_EQ(StandardButtonText(mrNone, ""), "");
}

}  // namespace
}  // namespace vorlix::help
