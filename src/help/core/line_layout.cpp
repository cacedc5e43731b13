#include "help/core/line_layout.h"

#include <algorithm>

namespace vorlix::help {

std::vector<std::u32string> SplitPieces(std::u32string_view text) {
  std::vector<std::u32string> pieces;
  size_t start = 0;
  while (start < text.size()) {
    const size_t lf = text.find(U'\n', start);
    if (lf == std::u32string_view::npos) {
      pieces.emplace_back(text.substr(start));
      break;
    }
    const size_t end = lf > start && text[lf - 1] == U'\r' ? lf - 1 : lf;
    pieces.emplace_back(text.substr(start, end - start));
    start = lf + 1;
  }
  return pieces;
}

int MeasureEndX(std::u32string_view candidate, const WrapSettings& settings,
                const MeasureRun& measure) {
  size_t length = candidate.size();
  while (length > 0 && candidate[length - 1] <= U' ') --length;
  RunStyle state = settings.font;
  int x = settings.marginH;
  for (const Run& run :
       ScanMarkup(candidate.substr(0, length), settings.markup, state, settings.font)) {
    x += measure(run.text, run.style.styles);
  }
  return x;
}

LineLayout WrapText(std::u32string_view text, const WrapSettings& settings,
                    const MeasureRun& measure) {
  LineLayout layout;
  const int available = settings.popupWidth - settings.marginH;
  for (const std::u32string& piece : SplitPieces(text)) {
    std::u32string_view rest = piece;
    for (;;) {
      std::u32string_view candidate = rest;
      bool cut = false;
      // One character always stays, so that every line takes something even when the margin
      // alone is wider than the space.
      while (candidate.size() > 1 && MeasureEndX(candidate, settings, measure) > available) {
        const size_t blank = candidate.substr(0, candidate.size() - 1).rfind(U' ');
        if (blank != std::u32string_view::npos) {
          candidate = candidate.substr(0, blank + 1);
          cut = true;
        } else {
          candidate.remove_suffix(1);
          // At least the wrapping width; a single character wider than the space, kept on a
          // line of its own before, keeps its width.
          layout.widestEndX = std::max(layout.widestEndX, settings.popupWidth);
        }
      }
      layout.widestEndX = std::max(layout.widestEndX, MeasureEndX(candidate, settings, measure));
      if (!cut) {
        // Not cut at a blank: the piece stays whole, a too wide last word included.
        layout.lines.emplace_back(rest);
        break;
      }
      layout.lines.emplace_back(candidate);
      rest.remove_prefix(candidate.size());
    }
  }
  return layout;
}

}  // namespace vorlix::help
