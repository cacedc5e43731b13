#include "help/core/popup_geometry.h"

namespace vorlix::help {

PopupPlacement PlacePopup(const PopupMetrics& metrics, PixelPoint point, const PixelRect& screen) {
  PopupPlacement placement;
  const int shadow = metrics.showShadow ? kShadowSize : 0;
  placement.width = metrics.adjustPopupWidth
                        ? metrics.widestEndX + metrics.marginH + (metrics.showShadow ? 7 : 0)
                        : metrics.popupWidth;
  placement.height =
      metrics.lineCount * metrics.lineHeight + 2 * metrics.marginV + (metrics.showShadow ? 8 : 0);

  int x = point.x;
  int y = point.y;
  if (x != 0 && y != 0) x -= placement.width / 2;
  if (x < screen.left) x = screen.left;
  if (x + placement.width > screen.right) x = screen.right - placement.width;
  if (y < screen.top) y = screen.top;
  if (y + placement.height > screen.bottom) y = screen.bottom - placement.height - 20;
  placement.topLeft = {x, y};

  placement.box = {0, 0, placement.width - shadow, placement.height - shadow};
  placement.frame = {1, 1, placement.width - shadow - 1, placement.height - shadow - 1};
  return placement;
}

std::vector<PixelPoint> ShadowPixels(int width, int height) {
  std::vector<PixelPoint> pixels;
  const auto add = [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < width && y < height) pixels.push_back({x, y});
  };
  for (int x = 7; x <= width - 7; ++x) {
    const int first = x % 2 == 1 ? 2 : 1;
    for (int row = first; row <= first + 4; row += 2) add(x, height - row);
  }
  for (int y = 7; y <= height - 1; ++y) {
    const int first = (y + height - 7) % 2 == 1 ? 2 : 1;
    for (int column = first; column <= first + 4; column += 2) add(width - column, y);
  }
  return pixels;
}

}  // namespace vorlix::help
