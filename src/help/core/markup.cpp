#include "help/core/markup.h"

namespace vorlix::help {

const std::array<ColourName, 16> kColourNames = {{
    {U"BLACK", {0, 0, 0}},
    {U"MAROON", {128, 0, 0}},
    {U"GREEN", {0, 128, 0}},
    {U"OLIVE", {128, 128, 0}},
    {U"NAVY", {0, 0, 128}},
    {U"PURPLE", {128, 0, 128}},
    {U"TEAL", {0, 128, 128}},
    {U"GRAY", {128, 128, 128}},
    {U"SILVER", {192, 192, 192}},
    {U"RED", {255, 0, 0}},
    {U"LIME", {0, 255, 0}},
    {U"YELLOW", {255, 255, 0}},
    {U"BLUE", {0, 0, 255}},
    {U"FUCHSIA", {255, 0, 255}},
    {U"AQUA", {0, 255, 255}},
    {U"WHITE", {255, 255, 255}},
}};

std::u32string AsciiUpper(std::u32string_view text) {
  std::u32string upper(text);
  for (char32_t& c : upper) {
    if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
  }
  return upper;
}

namespace {

// Applies one tag (already upper-cased) to the current style.
void ApplyTag(const std::u32string& tag, RunStyle& state, const RunStyle& font) {
  if (tag == U"DEF") {
    state = font;
    return;
  }
  for (const ColourName& colour : kColourNames) {
    if (tag == colour.name) {
      state.colour = colour.colour;
      return;
    }
  }
  // Any other tag, the empty one included, sets the style to exactly its letters.
  state.styles = 0;
  for (char32_t letter : tag) {
    if (letter == U'B') state.styles |= kBold;
    if (letter == U'I') state.styles |= kItalic;
    if (letter == U'U') state.styles |= kUnderline;
    if (letter == U'S') state.styles |= kStrikeOut;
  }
}

void AddRun(std::vector<Run>& runs, std::u32string_view text, const RunStyle& style) {
  if (!text.empty()) runs.push_back({std::u32string(text), style});
}

}  // namespace

std::vector<Run> ScanMarkup(std::u32string_view line, const MarkupSettings& settings,
                            RunStyle& state, const RunStyle& font) {
  std::vector<Run> runs;
  if (settings.plainText) {
    AddRun(runs, line, state);
    return runs;
  }
  std::u32string rest(line);
  for (;;) {
    const size_t open = rest.find(settings.tagOpen);
    // With the same character for both marks the closing one is the next after the opening one.
    const size_t close = settings.tagOpen != settings.tagClose ? rest.find(settings.tagClose)
                         : open == std::u32string::npos        ? std::u32string::npos
                                                        : rest.find(settings.tagClose, open + 1);
    if (open == std::u32string::npos || close == std::u32string::npos) {
      AddRun(runs, rest, state);
      return runs;
    }
    if (close < open) {
      // A stray closing mark: the opening mark after it is dropped and the scan starts over.
      rest.erase(open, 1);
      continue;
    }
    AddRun(runs, std::u32string_view(rest).substr(0, open), state);
    ApplyTag(AsciiUpper(std::u32string_view(rest).substr(open + 1, close - open - 1)), state, font);
    rest.erase(0, close + 1);
  }
}

}  // namespace vorlix::help
