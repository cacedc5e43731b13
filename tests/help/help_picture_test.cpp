// The pop-up's picture, pixel by pixel: outline, fill, frame, shadow over what lies beneath, and
// runs in their styles and colours.

#include "help/help_picture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "qt_test_environment.h"

namespace vorlix::help {
namespace {

const QColor kBeneath(255, 0, 255);
const QRect kScreen(0, 0, 1024, 768);

HelpAppearance Appearance() {
  HelpAppearance appearance;
  appearance.font = QFont(QStringLiteral("DejaVu Sans"));
  appearance.font.setPixelSize(20);
  appearance.shadowColor = QColor(0, 0, 160);
  return appearance;
}

QImage Paint(const QString& text, const HelpAppearance& appearance, HelpLayout* layout = nullptr,
             bool beneath = true) {
  const HelpLayout laidOut = LayOutHelp(text, appearance, QPoint(500, 300), kScreen);
  if (layout != nullptr) *layout = laidOut;
  QPixmap screen(laidOut.placement.width, laidOut.placement.height);
  screen.fill(kBeneath);
  return PaintHelp(laidOut, appearance, beneath ? screen : QPixmap());
}

// Calls visit(x, colour) for every pixel of display line `line`, from the left margin to the
// inner frame.
template <typename Visit>
void ForEachPixelOfLine(const QImage& image, const HelpLayout& layout, int line, Visit visit) {
  const int top = layout.metrics.marginV + line * layout.metrics.lineHeight;
  for (int y = top; y < top + layout.metrics.lineHeight; ++y) {
    for (int x = layout.metrics.marginH; x < layout.placement.box.right - 2; ++x) {
      visit(x, image.pixelColor(x, y));
    }
  }
}

// The rightmost column in the first text line that is not the fill colour, or -1.
int RightmostInk(const QImage& image, const HelpLayout& layout, const QColor& fill) {
  int rightmost = -1;
  ForEachPixelOfLine(image, layout, 0, [&](int x, const QColor& colour) {
    if (colour != fill) rightmost = std::max(rightmost, x);
  });
  return rightmost;
}

// Pixels of exactly `ink` in display line `line`.
int InkOfLine(const QImage& image, const HelpLayout& layout, int line, const QColor& ink) {
  int count = 0;
  ForEachPixelOfLine(image, layout, line,
                     [&](int, const QColor& colour) { count += colour == ink; });
  return count;
}

TEST(HelpPicture, BoxOutlineFillFrameAndShadowOverWhatLiesBeneath) {
  const HelpAppearance appearance = Appearance();
  HelpLayout layout;
  const QImage image =
      Paint(QStringLiteral("Here the program show the result"), appearance, &layout);
  const int width = image.width();
  const int height = image.height();
  const PixelRect box = layout.placement.box;
  ASSERT_EQ(box.right, width - 6);
  ASSERT_EQ(box.bottom, height - 6);

  // The outline: black along the box's own border pixels.
  for (const QPoint corner : {QPoint(0, 0), QPoint(box.right - 1, 0), QPoint(0, box.bottom - 1),
                              QPoint(box.right - 1, box.bottom - 1), QPoint(width / 2, 0)}) {
    EXPECT_EQ(image.pixelColor(corner), QColor(Qt::black)) << corner.x() << "," << corner.y();
  }
  // Inside it the button-face frame, then the fill in the margins.
  EXPECT_EQ(image.pixelColor(1, 5), QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(image.pixelColor(box.right - 2, 5), QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(image.pixelColor(4, 4), appearance.color);
  EXPECT_EQ(image.pixelColor(box.right - 4, box.bottom - 4), appearance.color);

  // The shadow: a chequer in ShadowColor with what lies beneath in its gaps.
  EXPECT_EQ(image.pixelColor(7, height - 2), appearance.shadowColor);
  EXPECT_EQ(image.pixelColor(7, height - 1), kBeneath);
  EXPECT_EQ(image.pixelColor(width - 1, height - 1), appearance.shadowColor);
  EXPECT_EQ(image.pixelColor(width - 2, height - 1), kBeneath);
  // Beside the shadow bands the screen beneath shows unchanged.
  EXPECT_EQ(image.pixelColor(width - 3, 2), kBeneath);
  EXPECT_EQ(image.pixelColor(2, height - 3), kBeneath);

  // Without a screen picture the window background takes its place.
  const QImage plain = Paint(QStringLiteral("x"), appearance, nullptr, false);
  EXPECT_EQ(plain.pixelColor(plain.width() - 3, 2),
            QApplication::palette().color(QPalette::Window));
}

TEST(HelpPicture, RunsAreDrawnInTheirStylesAndColours) {
  const HelpAppearance appearance = Appearance();
  HelpLayout boldLayout;
  HelpLayout plainLayout;
  const QImage bold = Paint(QStringLiteral("[B]MMMM WWWW"), appearance, &boldLayout);
  const QImage plain = Paint(QStringLiteral("MMMM WWWW"), appearance, &plainLayout);
  EXPECT_GT(boldLayout.metrics.widestEndX, plainLayout.metrics.widestEndX);
  EXPECT_GT(RightmostInk(bold, boldLayout, appearance.color),
            RightmostInk(plain, plainLayout, appearance.color));

  // A red run has red ink; the run after DEF goes back to the font colour.
  HelpLayout layout;
  const QImage red = Paint(QStringLiteral("[red]HH[def]HH"), appearance, &layout);
  ASSERT_EQ(layout.lines.size(), 1u);
  ASSERT_EQ(layout.lines[0].size(), 2u);
  EXPECT_EQ(layout.lines[0][0].style.colour, (Rgb{255, 0, 0}));
  bool redInk = false;
  for (int y = 7; y < 7 + layout.metrics.lineHeight; ++y) {
    for (int x = 11; x < 30; ++x) redInk = redInk || red.pixelColor(x, y) == QColor(Qt::red);
  }
  EXPECT_TRUE(redInk);
}

TEST(HelpPicture, StyleAndColourRunOnIntoTheNextLine) {
  const HelpAppearance appearance = Appearance();
  HelpLayout layout;
  const QImage image =
      Paint(QStringLiteral("[red][B]HHH\r\nHHH[]\r\nHHH[def]\r\nHHH"), appearance, &layout);
  ASSERT_EQ(layout.lines.size(), 4u);
  const QColor red(Qt::red);
  // Lines 1 and 2 carry the red bold of line 1; line 3 is red but no longer bold; line 4 is in
  // the font's colour again.
  EXPECT_GT(InkOfLine(image, layout, 0, red), 0);
  EXPECT_EQ(InkOfLine(image, layout, 1, red), InkOfLine(image, layout, 0, red));
  EXPECT_GT(InkOfLine(image, layout, 2, red), 0);
  EXPECT_LT(InkOfLine(image, layout, 2, red), InkOfLine(image, layout, 1, red));
  EXPECT_EQ(InkOfLine(image, layout, 3, red), 0);
  EXPECT_GT(InkOfLine(image, layout, 3, appearance.fontColor), 0);
}

TEST(HelpPicture, StatusBarHintGivesOneLinePerSourceLineBlankOnesIncluded) {
  HelpAppearance wide = Appearance();
  wide.popupWidth = 1000;
  HelpLayout layout;
  Paint(QStringLiteral("On the status bar there are 3 area's.\r\n\r\n"
                       "most left:          the number of items.\r\n"
                       "In the middle:   the description of the group (if available)\r\n"
                       "On the right:     the fullname of the group."),
        wide, &layout);
  ASSERT_EQ(layout.lines.size(), 5u);
  EXPECT_TRUE(layout.lines[1].empty());
  EXPECT_EQ(layout.lines[2][0].text, U"most left:          the number of items.");
  EXPECT_EQ(layout.placement.height,
            static_cast<int>(layout.lines.size()) * layout.metrics.lineHeight + 14 + 8);
}

}  // namespace
}  // namespace vorlix::help
