#pragma once
// The one character width table used for every font, in thousandths of the font size,
// and the measurements built on it.

#include <array>
#include <string_view>

namespace vorlix::exporter::pdf {

// Widths by character code 0 to 255.
extern const std::array<int, 256> kCharWidths;

// Sum of all 256 widths; kCharWidthSum / 256 is the average character width.
inline constexpr int kCharWidthSum = 123990;

// Width of Text (8-bit codes) at FontSize points, rounded to whole points, halves to even.
int MeasureText(std::string_view text, int fontSize);

// Width of Chars average characters at FontSize points, rounded, halves to even.
int MeasureAverageChars(int fontSize, double chars);

// The /Widths array body: every value followed by one space, in code order.
const std::string& WidthsText();

}  // namespace vorlix::exporter::pdf
