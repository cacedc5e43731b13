#pragma once
// Cuts a hint text into display lines that fit the pop-up's wrapping width. Text widths come
// from the caller, so the layout needs no display.

#include <functional>
#include <string>
#include <vector>

#include "help/core/markup.h"

namespace vorlix::help {

// The width in pixels of `text` drawn in the font with the given FontStyle flags.
using MeasureRun = std::function<int(const std::u32string& text, unsigned styles)>;

struct WrapSettings {
  MarkupSettings markup;
  RunStyle font;         // the style that each measurement starts from
  int popupWidth = 300;  // wrapping width in pixels
  int marginH = 11;      // left margin, where every line starts
};

struct LineLayout {
  std::vector<std::u32string> lines;  // display lines, tags still in them
  int widestEndX = 0;                 // the largest right end of a line, margin included
};

// The pieces between line breaks: CR LF and a lone LF end a piece, a lone CR does not. A break
// at the very end starts no further piece, and an empty text has none.
std::vector<std::u32string> SplitPieces(std::u32string_view text);

// Where a candidate line ends when drawn from x = marginH: trailing blanks and control
// characters do not count, and the runs are measured as the mark-up splits them.
int MeasureEndX(std::u32string_view candidate, const WrapSettings& settings,
                const MeasureRun& measure);

// Wraps every piece at its last blank that still fits; a word wider than the space is cut
// between characters only when more words follow it on the same piece.
LineLayout WrapText(std::u32string_view text, const WrapSettings& settings,
                    const MeasureRun& measure);

}  // namespace vorlix::help
