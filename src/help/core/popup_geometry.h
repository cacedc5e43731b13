#pragma once
// Size, place and picture geometry of the help pop-up: a framed box with a chequered drop
// shadow along its right and bottom edges, hanging below the pointer and kept on the screen.

#include <vector>

namespace vorlix::help {

// A rectangle of pixels; right and bottom are one past the last pixel.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint&) const = default;
};

inline constexpr int kShadowSize = 6;

struct PopupMetrics {
  int lineCount = 0;
  int lineHeight = 0;
  int widestEndX = 0;  // from the line layout, left margin included
  int marginH = 11;
  int marginV = 7;
  int popupWidth = 300;
  bool adjustPopupWidth = true;
  bool showShadow = true;
};

struct PopupPlacement {
  int width = 0;
  int height = 0;
  PixelPoint topLeft;  // on the screen
  PixelRect box;       // black outline, filled with the pop-up colour
  PixelRect frame;     // one-pixel frame in the button-face colour, just inside the outline
  // Top-left corner of display line `index`.
  PixelPoint LineOrigin(int index, const PopupMetrics& metrics) const {
    return {metrics.marginH, metrics.marginV + index * metrics.lineHeight};
  }
};

// Size and place of the pop-up for a pointer at `point` on `screen`. Unless a coordinate of the
// point is 0 the pop-up is centred under it; it is then kept inside the screen, and one that would
// reach below the bottom is lifted to 20 pixels above the bottom edge.
PopupPlacement PlacePopup(const PopupMetrics& metrics, PixelPoint point, const PixelRect& screen);

// The shadow's pixels in a picture of width × height: a 6-pixel chequered band below the box
// (from column 7) and right of it (from row 7).
std::vector<PixelPoint> ShadowPixels(int width, int height);

}  // namespace vorlix::help
