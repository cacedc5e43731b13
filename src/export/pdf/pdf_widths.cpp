#include "export/pdf/pdf_widths.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/rounding.h"

namespace vorlix::exporter::pdf {

// clang-format off
const std::array<int, 256> kCharWidths = {
    300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300,
    300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300,
    275, 389, 333, 600, 556, 1000, 722, 222, 389, 389, 556, 600, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 600, 600, 600, 500,
    1000, 667, 667, 700, 667, 667, 611, 750, 722, 389, 500, 667, 611, 889, 722, 750,
    667, 750, 667, 611, 611, 722, 667, 944, 667, 667, 611, 389, 278, 389, 600, 500,
    278, 500, 500, 500, 500, 500, 333, 500, 500, 278, 278, 500, 278, 820, 540, 500,
    540, 500, 389, 500, 333, 550, 444, 722, 500, 444, 500, 333, 222, 333, 600, 275,
    667, 667, 611, 667, 722, 611, 722, 500, 500, 500, 500, 500, 500, 444, 500, 500,
    500, 500, 278, 278, 278, 278, 500, 500, 500, 500, 500, 500, 500, 500, 500, 500,
    556, 400, 556, 556, 556, 500, 600, 556, 800, 800, 990, 278, 278, 275, 1000, 611,
    275, 600, 275, 275, 667, 576, 275, 275, 275, 275, 275, 350, 350, 275, 778, 500,
    500, 389, 600, 275, 556, 275, 275, 556, 556, 1000, 275, 667, 667, 611, 944, 778,
    500, 1000, 556, 556, 278, 278, 600, 275, 444, 667, 167, 600, 389, 389, 556, 556,
    556, 278, 278, 556, 1000, 667, 667, 667, 667, 667, 389, 389, 389, 389, 611, 611,
    275, 611, 722, 722, 722, 278, 278, 278, 278, 278, 278, 278, 278, 278, 278, 278,
};
// clang-format on

int MeasureText(std::string_view text, int fontSize) {
  // Summed in whole thousandths so that exact halves round the same way every time.
  std::int64_t thousandths = 0;
  for (unsigned char c : text) thousandths += kCharWidths[c];
  thousandths *= fontSize;
  std::int64_t whole = thousandths / 1000;
  std::int64_t rest = thousandths % 1000;
  if (rest < 0) {
    rest += 1000;
    --whole;
  }
  if (rest > 500 || (rest == 500 && whole % 2 != 0)) ++whole;
  return static_cast<int>(whole);
}

int MeasureAverageChars(int fontSize, double chars) {
  return platform::RoundHalfToEvenInt(fontSize * chars * kCharWidthSum / 256.0 / 1000.0);
}

const std::string& WidthsText() {
  static const std::string text = [] {
    std::string s;
    for (int w : kCharWidths) {
      s += std::to_string(w);
      s += ' ';
    }
    return s;
  }();
  return text;
}

}  // namespace vorlix::exporter::pdf
