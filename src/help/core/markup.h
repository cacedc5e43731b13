#pragma once
// The hint mark-up: tags between an opening and a closing mark switch the text style (any of the
// letters B, I, U, S), the text colour (one of sixteen names) or return to the font ("DEF").
// Tags are never shown.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::help {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// Font style flags; a run carries any combination.
enum FontStyle : unsigned {
  kBold = 1,
  kItalic = 2,
  kUnderline = 4,
  kStrikeOut = 8,
};

struct RunStyle {
  unsigned styles = 0;  // FontStyle flags
  Rgb colour;
  bool operator==(const RunStyle&) const = default;
};

// A stretch of text drawn in one style.
struct Run {
  std::u32string text;
  RunStyle style;
  bool operator==(const Run&) const = default;
};

struct MarkupSettings {
  bool plainText = false;  // when on, tags are ordinary text
  char32_t tagOpen = U'[';
  char32_t tagClose = U']';
};

struct ColourName {
  std::u32string_view name;
  Rgb colour;
};

// The sixteen colour names a tag may hold, in upper case.
extern const std::array<ColourName, 16> kColourNames;

// Upper-cases the letters a to z only, so that positions stay where they were.
std::u32string AsciiUpper(std::u32string_view text);

// Splits one display line into its runs. `state` is the style at the start of the line and is
// left at the style in force at its end; `font` is the style that "DEF" returns to. Empty runs
// are left out.
std::vector<Run> ScanMarkup(std::u32string_view line, const MarkupSettings& settings,
                            RunStyle& state, const RunStyle& font);

}  // namespace vorlix::help
