#include "help/core/markup.h"

#include <gtest/gtest.h>

#include "help/core/tag_removal.h"

namespace vorlix::help {
namespace {

using Runs = std::vector<Run>;

constexpr Rgb kFontColour{10, 20, 30};
constexpr Rgb kRed{255, 0, 0};

Run R(std::u32string text, unsigned styles = 0, Rgb colour = kFontColour) {
  return {std::move(text), {styles, colour}};
}

std::vector<Run> Scan(std::u32string_view line, const MarkupSettings& settings = {},
                      RunStyle font = {0, kFontColour}) {
  RunStyle state = font;
  return ScanMarkup(line, settings, state, font);
}

TEST(HelpMarkup, TagsSwitchStyleAndColourAndAreNeverShown) {
  EXPECT_EQ(Scan(U"Use[B] ESC[] if the search is wrong."),
            (Runs{R(U"Use"), R(U" ESC", kBold), R(U" if the search is wrong.")}));
  // A colour keeps the style; DEF returns to the font's style and colour.
  const RunStyle boldFont{kBold, kFontColour};
  EXPECT_EQ(Scan(U"a[I]b[red]c[DEF]d", {}, boldFont),
            (Runs{R(U"a", kBold), R(U"b", kItalic), R(U"c", kItalic, kRed), R(U"d", kBold)}));
  // The empty tag clears every style but keeps the colour set before it.
  EXPECT_EQ(Scan(U"[Navy][BIUS]x[]y"),
            (Runs{R(U"x", kBold | kItalic | kUnderline | kStrikeOut, {0, 0, 128}),
                  R(U"y", 0, {0, 0, 128})}));
  // Letters in any order and case; other characters are ignored and the colour stays.
  EXPECT_EQ(
      Scan(U"[lime][s-u b]x[Qi]y"),
      (Runs{R(U"x", kBold | kUnderline | kStrikeOut, {0, 255, 0}), R(U"y", kItalic, {0, 255, 0})}));
  // "DEFAULT" is not DEF: its U underlines.
  EXPECT_EQ(Scan(U"[DEFAULT]x"), (Runs{R(U"x", kUnderline)}));
}

TEST(HelpMarkup, EverySixteenColourNameSetsItsColourInAnyCase) {
  const std::vector<std::pair<std::u32string, Rgb>> colours = {
      {U"black", {0, 0, 0}},      {U"Maroon", {128, 0, 0}},    {U"GREEN", {0, 128, 0}},
      {U"olive", {128, 128, 0}},  {U"Navy", {0, 0, 128}},      {U"PURPLE", {128, 0, 128}},
      {U"teal", {0, 128, 128}},   {U"Gray", {128, 128, 128}},  {U"SILVER", {192, 192, 192}},
      {U"red", {255, 0, 0}},      {U"Lime", {0, 255, 0}},      {U"YELLOW", {255, 255, 0}},
      {U"blue", {0, 0, 255}},     {U"Fuchsia", {255, 0, 255}}, {U"AQUA", {0, 255, 255}},
      {U"white", {255, 255, 255}}};
  for (const auto& [name, rgb] : colours) {
    // The style set before stays.
    EXPECT_EQ(Scan(U"[I][" + name + U"]x"), (Runs{R(U"x", kItalic, rgb)}))
        << std::string(name.begin(), name.end());
  }
}

TEST(HelpMarkup, StrayAndUnfinishedMarksStayLiteral) {
  // A closing mark before the first opening one deletes that opening mark; the B tag is lost.
  EXPECT_EQ(Scan(U"a]b[B]c"), (Runs{R(U"a]bB]c")}));
  EXPECT_EQ(Scan(U"]x[B]y[I]z"), (Runs{R(U"]xB]yI]z")}));
  EXPECT_EQ(Scan(U"open [B only"), (Runs{R(U"open [B only")}));
  EXPECT_EQ(Scan(U"close ] only"), (Runs{R(U"close ] only")}));
  EXPECT_TRUE(Scan(U"").empty());
  EXPECT_TRUE(Scan(U"[B][]").empty());
}

TEST(HelpMarkup, PlainTextAndOtherTagCharacters) {
  MarkupSettings plain;
  plain.plainText = true;
  EXPECT_EQ(Scan(U"[B]x", plain), (Runs{R(U"[B]x")}));

  MarkupSettings angle;
  angle.tagOpen = U'<';
  angle.tagClose = U'>';
  EXPECT_EQ(Scan(U"a<b>[B]c<>d", angle), (Runs{R(U"a"), R(U"[B]c", kBold), R(U"d")}));

  // The same character for both marks: the closing one is the next after the opening one.
  MarkupSettings bars;
  bars.tagOpen = bars.tagClose = U'|';
  EXPECT_EQ(Scan(U"a|I|b||c", bars), (Runs{R(U"a"), R(U"b", kItalic), R(U"c")}));
}

TEST(HelpMarkup, StyleRunsOnIntoTheNextLine) {
  const RunStyle font{0, kFontColour};
  RunStyle state = font;
  ScanMarkup(U"one [red][B]two", {}, state, font);
  EXPECT_EQ(state, (RunStyle{kBold, kRed}));
  EXPECT_EQ(ScanMarkup(U"three", {}, state, font), (Runs{R(U"three", kBold, kRed)}));
}

TEST(HelpTagRemoval, TheListHoldsEightyThreeDistinctNames) {
  const std::vector<std::u32string>& names = RemovableTagNames();
  ASSERT_EQ(names.size(), 83u);
  EXPECT_EQ(names.front(), U"");
  EXPECT_EQ(names[1], U"B");
  EXPECT_EQ(names[5], U"BI");
  EXPECT_EQ(names[names.size() - 2], U"DEFAULT");
  EXPECT_EQ(names.back(), U"DEF");
  EXPECT_NE(std::find(names.begin(), names.end(), U"SUIB"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), U"BB"), names.end());
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) EXPECT_NE(names[i], names[j]);
  }
}

TEST(HelpTagRemoval, KnownTagsGoInAnyCaseUntilNoneIsLeft) {
  EXPECT_EQ(RemoveTags(U"Use[B] ESC[] if the search is wrong.", U'[', U']'),
            U"Use ESC if the search is wrong.");
  EXPECT_EQ(RemoveTags(U"[red]a[b]b[Red]c[DEF]d[default]e[uSib]f", U'[', U']'), U"abcdef");
  // Every occurrence goes, one per name and pass; a tag that removal joins is removed next.
  EXPECT_EQ(RemoveTags(U"[B]a[B]b[B]c", U'[', U']'), U"abc");
  EXPECT_EQ(RemoveTags(U"x[[b]b]y", U'[', U']'), U"xy");
  // Names outside the list stay.
  EXPECT_EQ(RemoveTags(U"[BB]x[GREY]y[ B]", U'[', U']'), U"[BB]x[GREY]y[ B]");
  EXPECT_EQ(RemoveTags(U"<i>x[I]", U'<', U'>'), U"x[I]");
}

}  // namespace
}  // namespace vorlix::help
