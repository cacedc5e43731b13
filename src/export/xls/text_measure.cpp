#include "export/xls/text_measure.h"

#include <algorithm>
#include <cmath>

#include "export/xls/text_codec.h"
#include "platform/rounding.h"

namespace vorlix::exporter::xls {

namespace {

// Advance widths in 1/1000 em of the characters 0x20 to 0x7E.
constexpr short kRegular[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
constexpr short kBold[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667,
    611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667,
    667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556,
    278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};

}  // namespace

double ArialMetrics::TextWidth(const std::string& text, const TxlsFont& font) const {
  const bool bold = font.Has(xfsBold);
  const double pixelsPerEm = font.Size * 96.0 / 72.0;
  double width = 0;
  for (char16_t c : Utf16FromUtf8(text)) {
    int units;
    if (c >= 0x20 && c <= 0x7E)
      units = (bold ? kBold : kRegular)[c - 0x20];
    else if (c < 0x20)
      units = 0;
    else
      units = bold ? 611 : 556;  // letters beyond ASCII: a typical letter's width
    width += std::round(units * pixelsPerEm / 1000.0);
  }
  return width;
}

const ITextMeasure& DefaultTextMeasure() {
  static const ArialMetrics metrics;
  return metrics;
}

double ZeroWidth(const ITextMeasure& measure) {
  const double width = measure.TextWidth("0", TxlsFont{});
  return width > 0 ? width : 7;
}

uint16_t StoredColumnWidth(int characters, const ITextMeasure& measure) {
  const double units = platform::RoundHalfToEven((characters + 1 + 1 / ZeroWidth(measure)) * 256);
  return static_cast<uint16_t>(std::clamp(units, 0.0, double(kMaxColumnWidthUnits)));
}

}  // namespace vorlix::exporter::xls
