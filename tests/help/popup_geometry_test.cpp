#include "help/core/popup_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace vorlix::help {
namespace {

const PixelRect kScreen{0, 0, 1024, 768};

PopupMetrics Metrics(int lines = 3, int widestEndX = 111) {
  PopupMetrics metrics;
  metrics.lineCount = lines;
  metrics.lineHeight = 13;
  metrics.widestEndX = widestEndX;
  return metrics;
}

TEST(HelpPopupGeometry, SizeFollowsTheWidestLineMarginsAndShadow) {
  const PopupPlacement shadowed = PlacePopup(Metrics(), {500, 300}, kScreen);
  EXPECT_EQ(shadowed.width, 111 + 11 + 7);
  EXPECT_EQ(shadowed.height, 3 * 13 + 2 * 7 + 8);
  EXPECT_EQ(shadowed.box, (PixelRect{0, 0, 129 - 6, 61 - 6}));
  EXPECT_EQ(shadowed.frame, (PixelRect{1, 1, 129 - 7, 61 - 7}));
  EXPECT_EQ(shadowed.LineOrigin(2, Metrics()), (PixelPoint{11, 7 + 26}));

  PopupMetrics plain = Metrics();
  plain.showShadow = false;
  plain.adjustPopupWidth = false;
  const PopupPlacement flat = PlacePopup(plain, {500, 300}, kScreen);
  EXPECT_EQ(flat.width, 300);
  EXPECT_EQ(flat.height, 3 * 13 + 14);
  EXPECT_EQ(flat.box, (PixelRect{0, 0, 300, 53}));

  // A word wider than the wrapping width: PopupWidth + margin + 7.
  EXPECT_EQ(PlacePopup(Metrics(1, 300), {500, 300}, kScreen).width, 300 + 11 + 7);
}

TEST(HelpPopupGeometry, HangsCentredBelowThePointerAndStaysOnTheScreen) {
  const PopupMetrics metrics = Metrics();  // 129 x 61
  EXPECT_EQ(PlacePopup(metrics, {500, 300}, kScreen).topLeft, (PixelPoint{500 - 64, 300}));
  // Right edge: moved left to end at the edge. Left edge: 0.
  EXPECT_EQ(PlacePopup(metrics, {1020, 300}, kScreen).topLeft, (PixelPoint{1024 - 129, 300}));
  EXPECT_EQ(PlacePopup(metrics, {10, 300}, kScreen).topLeft, (PixelPoint{0, 300}));
  // Bottom edge: lifted to screen height - height - 20.
  EXPECT_EQ(PlacePopup(metrics, {500, 740}, kScreen).topLeft, (PixelPoint{436, 768 - 61 - 20}));
  EXPECT_EQ(PlacePopup(metrics, {500, 707}, kScreen).topLeft, (PixelPoint{436, 707}));
  // A zero coordinate keeps the point as the corner.
  EXPECT_EQ(PlacePopup(metrics, {0, 300}, kScreen).topLeft, (PixelPoint{0, 300}));
  EXPECT_EQ(PlacePopup(metrics, {500, 0}, kScreen).topLeft, (PixelPoint{500, 0}));
  // Wider or taller than the screen: the right and bottom rules come last and win.
  EXPECT_EQ(PlacePopup(Metrics(3, 1100), {500, 300}, kScreen).topLeft,
            (PixelPoint{1024 - (1100 + 18), 300}));
  EXPECT_EQ(PlacePopup(Metrics(60, 111), {500, 10}, kScreen).topLeft,
            (PixelPoint{436, 768 - (60 * 13 + 22) - 20}));
  // A screen that does not start at the origin.
  const PixelRect second{1024, 0, 2048, 768};
  EXPECT_EQ(PlacePopup(metrics, {2040, 20}, second).topLeft, (PixelPoint{2048 - 129, 20}));
  EXPECT_EQ(PlacePopup(metrics, {1030, 20}, second).topLeft, (PixelPoint{1024, 20}));
}

TEST(HelpPopupGeometry, ShadowIsAChequeredBandBelowAndRightOfTheBox) {
  const int width = 40;
  const int height = 30;
  const std::vector<PixelPoint> pixels = ShadowPixels(width, height);
  std::set<std::pair<int, int>> shadow;
  for (const PixelPoint& pixel : pixels) shadow.insert({pixel.x, pixel.y});
  const auto at = [&](int x, int y) { return shadow.count({x, y}) == 1; };

  // Bottom band: odd columns at H-2, H-4, H-6, even ones at H-1, H-3, H-5, from column 7.
  EXPECT_TRUE(at(7, 28) && at(7, 26) && at(7, 24));
  EXPECT_FALSE(at(7, 29) || at(7, 27) || at(7, 25));
  EXPECT_TRUE(at(8, 29) && at(8, 27) && at(8, 25));
  EXPECT_FALSE(at(6, 29) || at(6, 28));
  // Right band from row 7: y + H - 7 odd gives W-2, W-4, W-6.
  EXPECT_TRUE(at(38, 8) && at(36, 8) && at(34, 8));  // 8 + 23 = 31, odd
  EXPECT_TRUE(at(39, 7) && at(37, 7) && at(35, 7));
  EXPECT_FALSE(at(39, 6) || at(38, 6));
  // Nothing inside the box (up to W-6, H-6 exclusive).
  EXPECT_TRUE(std::none_of(pixels.begin(), pixels.end(), [&](const PixelPoint& p) {
    return p.x < width - kShadowSize && p.y < height - kShadowSize;
  }));
  // Columns 7 to W-7 and rows 7 to H-1, three pixels each.
  EXPECT_EQ(pixels.size(), 3u * (width - 13) + 3u * (height - 7));
  EXPECT_EQ(shadow.size(), pixels.size());
  // Tiny pictures keep their pixels inside.
  for (const PixelPoint& p : ShadowPixels(8, 3)) {
    EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x < 8 && p.y < 3);
  }
}

}  // namespace
}  // namespace vorlix::help
