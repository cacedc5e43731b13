#include "help/core/line_layout.h"

#include <gtest/gtest.h>

namespace vorlix::help {
namespace {

// Every character is 10 pixels wide, 12 in bold.
int Measure(const std::u32string& text, unsigned styles) {
  return static_cast<int>(text.size()) * ((styles & kBold) ? 12 : 10);
}

WrapSettings Settings(int popupWidth, int marginH = 11) {
  WrapSettings settings;
  settings.popupWidth = popupWidth;
  settings.marginH = marginH;
  return settings;
}

TEST(HelpLineLayout, PiecesEndAtCrLfAndLoneLf) {
  using Pieces = std::vector<std::u32string>;
  EXPECT_EQ(SplitPieces(U"a\r\nb\nc"), (Pieces{U"a", U"b", U"c"}));
  EXPECT_EQ(SplitPieces(U"a\r\n\r\nb"), (Pieces{U"a", U"", U"b"}));
  EXPECT_EQ(SplitPieces(U"a\rb\n"), (Pieces{U"a\rb"}));  // a lone CR is no break
  EXPECT_EQ(SplitPieces(U"\n\nx"), (Pieces{U"", U"", U"x"}));
  EXPECT_EQ(SplitPieces(U"a\r\r\nb"), (Pieces{U"a\r", U"b"}));
  EXPECT_TRUE(SplitPieces(U"").empty());
}

TEST(HelpLineLayout, EndXLeavesOutTrailingBlanksAndTagsAndMeasuresStyles) {
  const WrapSettings settings = Settings(300);
  EXPECT_EQ(MeasureEndX(U"abc  \t", settings, Measure), 11 + 30);
  EXPECT_EQ(MeasureEndX(U"a[B]bc[]d", settings, Measure), 11 + 10 + 24 + 10);
  EXPECT_EQ(MeasureEndX(U"", settings, Measure), 11);
  // Each measurement starts from the font, whatever came before.
  EXPECT_EQ(MeasureEndX(U"abc", settings, Measure), 41);
}

TEST(HelpLineLayout, WrapsAtTheLastBlankThatFits) {
  // Lines start at the margin and may end at popup width - margin: 11 + 10 characters <= 111.
  const LineLayout layout = WrapText(U"aaaa bbbb cccc dd", Settings(122), Measure);
  EXPECT_EQ(layout.lines, (std::vector<std::u32string>{U"aaaa bbbb ", U"cccc dd"}));
  EXPECT_EQ(layout.widestEndX, 11 + 90);

  const LineLayout fits = WrapText(U"aaaa bbbbb", Settings(122), Measure);
  EXPECT_EQ(fits.lines, (std::vector<std::u32string>{U"aaaa bbbbb"}));
  EXPECT_EQ(fits.widestEndX, 111);
}

TEST(HelpLineLayout, ALongWordIsCutOnlyWhenMoreWordsFollow) {
  // Followed by another word: cut between characters, the rest carries on.
  const LineLayout cut = WrapText(U"abcdefghijklmn xy", Settings(122), Measure);
  EXPECT_EQ(cut.lines, (std::vector<std::u32string>{U"abcdefghij", U"klmn xy"}));
  EXPECT_EQ(cut.widestEndX, 122);
  // Last on its piece: kept whole on its own line, and the pop-up takes the whole width.
  const LineLayout whole = WrapText(U"xy abcdefghijklmn", Settings(122), Measure);
  EXPECT_EQ(whole.lines, (std::vector<std::u32string>{U"xy ", U"abcdefghijklmn"}));
  EXPECT_EQ(whole.widestEndX, 122);
  // One 2000-pixel word.
  const LineLayout wide = WrapText(std::u32string(200, U'w'), Settings(300), Measure);
  ASSERT_EQ(wide.lines.size(), 1u);
  EXPECT_EQ(wide.lines[0].size(), 200u);
  EXPECT_EQ(wide.widestEndX, 300);
}

TEST(HelpLineLayout, EveryPieceGivesItsLinesAndBlankLinesStay) {
  const std::u32string statusBar =
      U"On the status bar there are 3 area's.\r\n\r\nmost left:          the number of items.\r\n"
      U"In the middle:   the description\r\nOn the right:     the fullname of the group.";
  const LineLayout layout = WrapText(statusBar, Settings(1000), Measure);
  ASSERT_EQ(layout.lines.size(), 5u);
  EXPECT_EQ(layout.lines[1], U"");
  EXPECT_EQ(layout.lines[2], U"most left:          the number of items.");
  EXPECT_EQ(layout.widestEndX, 11 + 10 * 44);
}

TEST(HelpLineLayout, AMarginWiderThanTheSpaceStillEnds) {
  const LineLayout layout = WrapText(U"ab cd", Settings(40, 200), Measure);
  EXPECT_EQ(layout.lines, (std::vector<std::u32string>{U"a", U"b", U" ", U"cd"}));
  // A character wider than the space takes a line of its own, and the pop-up stays as wide as
  // that line when a later word is cut.
  const MeasureRun wideW = [](const std::u32string& text, unsigned) {
    int width = 0;
    for (char32_t c : text) width += c == U'W' ? 30 : 10;
    return width;
  };
  const LineLayout wide = WrapText(U"W\nab", Settings(40, 25), wideW);
  EXPECT_EQ(wide.lines, (std::vector<std::u32string>{U"W", U"ab"}));
  EXPECT_EQ(wide.widestEndX, 25 + 30);
}

}  // namespace
}  // namespace vorlix::help
