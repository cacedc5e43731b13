// The help pop-up's text handling without a display: mark-up, tag removal for Copy and line
// layout. Each input is used twice:
// - as it is (bytes read as characters U+0000 to U+00FF): the runs are the line with characters
//   taken out, never added, and none empty; plain text is one run of the whole line; removing
//   tags leaves none of the known ones and changes nothing when done again; the display lines
//   give back every piece of the text, and each one fits the width unless it is one character or
//   a last word that cannot be broken;
// - as a recipe for well-formed mark-up (texts without marks between known tags): the pop-up
//   shows, and Copy copies, exactly the texts, each in the style its tags give.
//
// First byte: bit 0 plain text; bits 1-2 the marks ("[]", "<>", "||", "{}"). Second byte: the
// wrapping width (40 + 4 n, at most 1000). Third byte: the left margin (0 to 63).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "help/core/line_layout.h"
#include "help/core/markup.h"
#include "help/core/tag_removal.h"

namespace {

using namespace vorlix::help;
using vorlix::fuzz::Fail;

constexpr RunStyle kFont{0, {1, 2, 3}};
constexpr size_t kMaxLaidOut = 100;
// Copy removes one tag of each name a pass: some thirty tags keep the runs fast.
constexpr size_t kMaxRecipe = 64;

// A width for every character, wider in bold, so that the layout has something to fit.
int Measure(const std::u32string& text, unsigned styles) {
  int width = 0;
  for (char32_t c : text) width += 1 + static_cast<int>(c % 7) + ((styles & kBold) != 0 ? 1 : 0);
  return width;
}

std::string Printable(const std::u32string& text) {
  std::string out;
  for (char32_t c : text.substr(0, 200)) {
    out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
  }
  return out;
}

bool IsSubsequence(const std::u32string& part, const std::u32string& whole) {
  size_t at = 0;
  for (char32_t c : whole) {
    if (at < part.size() && part[at] == c) ++at;
  }
  return at == part.size();
}

std::u32string Joined(const std::vector<Run>& runs) {
  std::u32string text;
  for (const Run& run : runs) text += run.text;
  return text;
}

void CheckScan(const std::u32string& line, const MarkupSettings& settings) {
  RunStyle state = kFont;
  const std::vector<Run> runs = ScanMarkup(line, settings, state, kFont);
  for (const Run& run : runs) {
    if (run.text.empty()) Fail("an empty run in " + Printable(line));
  }
  const std::u32string shown = Joined(runs);
  if (settings.plainText && shown != line) Fail("plain text is not shown as written");
  if (!IsSubsequence(shown, line)) Fail("the runs hold characters the line lacks");
  if (line.find(settings.tagOpen) == std::u32string::npos && shown != line)
    Fail("a line without an opening mark lost characters: " + Printable(line));
}

void CheckRemoval(const std::u32string& text, const MarkupSettings& settings) {
  const std::u32string removed = RemoveTags(text, settings.tagOpen, settings.tagClose);
  if (!IsSubsequence(removed, text)) Fail("tag removal added characters");
  if (RemoveTags(removed, settings.tagOpen, settings.tagClose) != removed)
    Fail("tag removal left a known tag: " + Printable(removed));
}

void CheckLayout(const std::u32string& text, const WrapSettings& settings) {
  const LineLayout layout = WrapText(text, settings, Measure);
  const int available = settings.popupWidth - settings.marginH;
  const std::vector<std::u32string> pieces = SplitPieces(text);

  // The pieces are the text cut at its line breaks.
  std::u32string rejoined, flattened;
  for (size_t i = 0; i < pieces.size(); ++i) rejoined += (i > 0 ? U"\n" : U"") + pieces[i];
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')) flattened += text[i];
  }
  if (!flattened.empty() && flattened.back() == U'\n') flattened.pop_back();
  if (rejoined != flattened) Fail("the pieces are not the text's lines: " + Printable(text));

  // Each piece is made of whole display lines, in order. A line fits the space unless it is one
  // character, or the piece's last word that has no blank to break at; the widest end is that of
  // the lines that fit, or the wrapping width once a word had to be broken or kept whole.
  size_t next = 0;
  int widest = 0;
  bool wideWord = false;
  for (const std::u32string& piece : pieces) {
    std::u32string built;
    do {
      if (next >= layout.lines.size()) Fail("the display lines end too early");
      const std::u32string& line = layout.lines[next++];
      if (line.empty() != piece.empty()) Fail("an empty display line inside a piece");
      built += line;
      const int endX = MeasureEndX(line, settings, Measure);
      const bool last = built.size() >= piece.size();
      const bool unbreakable =
          last && line.substr(0, line.size() - 1).find(U' ') == std::u32string::npos;
      if (endX <= available || line.size() == 1) {
        widest = std::max(widest, endX);
      } else if (unbreakable) {
        // Kept whole; the widest end counts what of it fits, or its first character.
        wideWord = true;
        const int first = MeasureEndX(line.substr(0, 1), settings, Measure);
        if (first > available) widest = std::max(widest, first);
      } else {
        Fail("a display line is wider than the space: " + Printable(line));
      }
    } while (built.size() < piece.size());
    if (built != piece) Fail("the display lines do not give back the piece " + Printable(piece));
  }
  if (next != layout.lines.size()) Fail("display lines beyond the text's pieces");
  if (layout.widestEndX < widest) {
    Fail("a line ends at " + std::to_string(widest) + ", beyond the widest end " +
         std::to_string(layout.widestEndX));
  }
  if (wideWord && layout.widestEndX < settings.popupWidth)
    Fail("a word wider than the space leaves the pop-up narrower than the wrapping width");
  if (layout.widestEndX != widest && layout.widestEndX != settings.popupWidth)
    Fail("the widest end is neither a line's nor the wrapping width");
}

// Well-formed mark-up made from the input: texts without marks between tags of the known list.
// The texts joined are what the pop-up shows and what Copy copies; each character is shown in
// the style that the tags before it give. Byte pairs: an odd first byte makes a tag (the second
// picks the name, the first's other bits its case), an even one a character.
void CheckRecipe(const uint8_t* data, size_t size, const MarkupSettings& settings) {
  const std::vector<std::u32string>& names = RemovableTagNames();
  std::u32string line, expectedText;
  std::vector<RunStyle> expectedStyles;
  RunStyle style = kFont;
  for (size_t i = 0; i + 1 < std::min(size, kMaxRecipe); i += 2) {
    if ((data[i] & 1) == 0) {
      const char32_t c = U' ' + data[i + 1] % 95;
      if (c == settings.tagOpen || c == settings.tagClose) continue;
      line += c;
      expectedText += c;
      expectedStyles.push_back(style);
      continue;
    }
    const std::u32string& name = names[data[i + 1] % names.size()];
    std::u32string spelled = name;
    for (size_t k = 0; k < spelled.size(); ++k) {
      if ((data[i] >> (1 + k % 7)) & 1) spelled[k] = spelled[k] - U'A' + U'a';
    }
    line += settings.tagOpen + spelled + settings.tagClose;
    const auto colour = std::find_if(kColourNames.begin(), kColourNames.end(),
                                     [&](const ColourName& known) { return known.name == name; });
    if (name == U"DEF") {
      style = kFont;
    } else if (colour != kColourNames.end()) {
      style.colour = colour->colour;
    } else {
      // Every other name of the list is letters: B, I, U and S are the style flags 1, 2, 4, 8.
      style.styles = 0;
      for (unsigned flag = 0; flag < 4; ++flag) {
        if (name.find(U"BIUS"[flag]) != std::u32string::npos) style.styles |= 1u << flag;
      }
    }
  }
  RunStyle state = kFont;
  const std::vector<Run> runs = ScanMarkup(line, settings, state, kFont);
  if (Joined(runs) != expectedText) Fail("the pop-up does not show the texts: " + Printable(line));
  std::vector<RunStyle> shownStyles;
  for (const Run& run : runs) shownStyles.insert(shownStyles.end(), run.text.size(), run.style);
  if (shownStyles != expectedStyles) Fail("a text is shown in the wrong style: " + Printable(line));
  if (state != style) Fail("the style at the line's end is not the last tag's");
  // With one character for both marks, a text between two tags reads as a tag of its own to the
  // search that Copy makes ("|B|S|I|" holds "|S|"): only distinct marks give the texts back.
  if (settings.tagOpen != settings.tagClose &&
      RemoveTags(line, settings.tagOpen, settings.tagClose) != expectedText)
    Fail("Copy does not give the texts: " + Printable(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static const char32_t kMarks[][2] = {{U'[', U']'}, {U'<', U'>'}, {U'|', U'|'}, {U'{', U'}'}};
  MarkupSettings markup;
  markup.plainText = (data[0] & 1) != 0;
  markup.tagOpen = kMarks[(data[0] >> 1) & 3][0];
  markup.tagClose = kMarks[(data[0] >> 1) & 3][1];
  WrapSettings wrap;
  wrap.markup = markup;
  wrap.font = kFont;
  wrap.popupWidth = std::min(40 + 4 * data[1], 1000);
  wrap.marginH = data[2] % 64;
  const std::u32string text(data + 3, data + size);

  CheckScan(text, markup);
  CheckRemoval(text, markup);
  // Wrapping measures every shorter candidate of a line anew: a hundred characters show all
  // it does while keeping the runs fast.
  CheckLayout(text.substr(0, kMaxLaidOut), wrap);
  MarkupSettings marked = markup;
  marked.plainText = false;
  CheckRecipe(data + 3, size - 3, marked);
  return 0;
}
