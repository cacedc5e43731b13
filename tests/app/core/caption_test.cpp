#include "app/core/caption.h"

#include <gtest/gtest.h>

namespace vorlix::core {
namespace {

// Every character 5 pixels wide.
int FivePerChar(const std::string& text) {
  return static_cast<int>(text.size()) * 5;
}

TEST(CoreCaption, WindowsVersionCodeClassifiesTheVersionRecord) {
  EXPECT_EQ(WindowsVersionCode({1, 4, 10}), 1);
  EXPECT_EQ(WindowsVersionCode({2, 4, 0}), 2);
  EXPECT_EQ(WindowsVersionCode({2, 5, 0}), 200);
  EXPECT_EQ(WindowsVersionCode({2, 5, 1}), 201);
  EXPECT_EQ(WindowsVersionCode({2, 6, 1}), 201);  // only the minor version is looked at
  EXPECT_EQ(WindowsVersionCode({2, 5, 2}), 202);
  EXPECT_EQ(WindowsVersionCode({2, 10, 0}), 200);
  EXPECT_EQ(WindowsVersionCode({2, 6, 3}), 299);
}

TEST(CoreCaption, PadWithBlanksStopsBelowTheAvailableWidthAndAtTheMaximum) {
  EXPECT_EQ(PadWithBlanks(0, 100, 1.0, FivePerChar), "");
  EXPECT_EQ(PadWithBlanks(-20, 100, 1.0, FivePerChar), "");
  EXPECT_EQ(PadWithBlanks(100, 0, 1.0, FivePerChar), "");
  // 5 x n < 21 for n = 1..4.
  EXPECT_EQ(PadWithBlanks(21, 100, 1.0, FivePerChar), std::string(4, ' '));
  EXPECT_EQ(PadWithBlanks(20, 100, 1.0, FivePerChar), std::string(3, ' '));
  // trunc(5 x n x 1.4) < 30: 7, 14, 21, 28 -> four blanks (5 x 1.4 must count as 7, not 6).
  EXPECT_EQ(PadWithBlanks(29, 100, 1.4, FivePerChar), std::string(4, ' '));
  EXPECT_EQ(PadWithBlanks(28, 100, 1.4, FivePerChar), std::string(3, ' '));
  EXPECT_EQ(PadWithBlanks(100000, 7, 1.0, FivePerChar), std::string(7, ' '));
  // Blanks measured as zero-width end at the maximum instead of running forever.
  EXPECT_EQ(PadWithBlanks(10, 12, 1.0, [](const std::string&) { return 0; }), std::string(12, ' '));
}

TEST(CoreCaption, LayoutPutsTheNoticeAfterTheFill) {
  ASSERT_EQ(std::string(kCaptionNotice).size(), 10u);
  EXPECT_EQ(CaptionMainText(""), " v1.07 - ");
  EXPECT_EQ(CaptionMainText("ACME"), " v1.07 - ACME");

  // Main text 13 chars = 65 px, notice 50 px; x1.1 -> 71 and 55. A = 798 - 110 - 71 - 55 = 562:
  // blanks while 5n < 562 -> 112.
  const std::string wide = LayoutCaption("ACME", 798, 200, FivePerChar);
  EXPECT_EQ(wide, " v1.07 - ACME" + std::string(112, ' ') + kCaptionNotice);
  // The narrow layout: x1.4 -> 91 and 70; A = 798 - 80 - 91 - 70 = 557; trunc(7n) < 557 -> 79.
  EXPECT_EQ(LayoutCaption("ACME", 798, 201, FivePerChar),
            " v1.07 - ACME" + std::string(79, ' ') + kCaptionNotice);
  // A narrow window: no fill, the notice follows the main text directly.
  EXPECT_EQ(LayoutCaption("ACME", 200, 200, FivePerChar),
            std::string(" v1.07 - ACME") + kCaptionNotice);
}

TEST(CoreCaption, LongTreeNameBoundsTheFill) {
  const std::string tree(200, 'T');
  const std::string caption = LayoutCaption(
      tree, 1000000, 200, [](const std::string& t) { return static_cast<int>(t.size()); });
  EXPECT_EQ(CaptionMainText(tree).size(), 209u);
  EXPECT_EQ(caption, CaptionMainText(tree) + std::string(36, ' ') + kCaptionNotice);
  EXPECT_EQ(caption.size(), 255u);
}

}  // namespace
}  // namespace vorlix::core
