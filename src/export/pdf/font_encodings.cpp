#include "export/pdf/font_encodings.h"

#include <algorithm>
#include <cstdint>

#include "platform/text_encoding.h"

namespace vorlix::exporter::pdf {
namespace {

// The characters of codes 0x80 to 0xFF in MacRomanEncoding; 0 where the PDF encoding has no
// glyph (the mathematical signs and the Apple logo of the Mac OS code page).
// clang-format off
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0,      0x00C6, 0x00D8,
    0,      0x00B1, 0,      0,      0x00A5, 0x00B5, 0,      0,       // B0
    0,      0,      0,      0x00AA, 0x00BA, 0,      0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0,      0x0192, 0,      0,      0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0,       // D0
    0x00FF, 0x0178, 0x2044, 0x00A4, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0,      0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// The characters of codes 0xA0 to 0xFF in StandardEncoding; 0 where it has none. Below 0x80 it
// is ASCII but for 0x27 (right single quote) and 0x60 (left single quote).
constexpr char16_t kStandardHigh[96] = {
    0,      0x00A1, 0x00A2, 0x00A3, 0x2044, 0x00A5, 0x0192, 0x00A7,  // A0
    0x00A4, 0x0027, 0x201C, 0x00AB, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0,      0x2013, 0x2020, 0x2021, 0x00B7, 0,      0x00B6, 0x2022,  // B0
    0x201A, 0x201E, 0x201D, 0x00BB, 0x2026, 0x2030, 0,      0x00BF,
    0,      0x0060, 0x00B4, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9,  // C0
    0x00A8, 0,      0x02DA, 0x00B8, 0,      0x02DD, 0x02DB, 0x02C7,
    0x2014, 0,      0,      0,      0,      0,      0,      0,       // D0
    0,      0,      0,      0,      0,      0,      0,      0,
    0,      0x00C6, 0,      0x00AA, 0,      0,      0,      0,       // E0
    0x0141, 0x00D8, 0x0152, 0x00BA, 0,      0,      0,      0,
    0,      0x00E6, 0,      0,      0,      0x0131, 0,      0,       // F0
    0x0142, 0x00F8, 0x0153, 0x00DF, 0,      0,      0,      0,
};
// clang-format on

template <size_t N>
int FindIn(const char16_t (&table)[N], char32_t c, int firstCode) {
  if (c == 0 || c > 0xFFFF) return -1;
  const auto* at = std::find(std::begin(table), std::end(table), static_cast<char16_t>(c));
  return at == std::end(table) ? -1 : firstCode + static_cast<int>(at - std::begin(table));
}

int StandardCode(char32_t c) {
  if (c == 0x2019) return 0x27;
  if (c == 0x2018) return 0x60;
  if (c < 0x80 && c != 0x27 && c != 0x60) return static_cast<int>(c);
  return FindIn(kStandardHigh, c, 0xA0);
}

// Whether plain ASCII text reads the same in the encoding.
bool AsciiPasses(std::string_view text, TPDFFontEncoding encoding) {
  if (!std::all_of(text.begin(), text.end(), [](char ch) { return (ch & 0x80) == 0; }))
    return false;
  return encoding == TPDFFontEncoding::poWinAnsiEncoding ||
         encoding == TPDFFontEncoding::poMacRomanEncoding ||
         text.find_first_of("'`") == std::string_view::npos;
}

}  // namespace

int CodeInEncoding(char32_t c, TPDFFontEncoding encoding) {
  switch (encoding) {
    case TPDFFontEncoding::poWinAnsiEncoding:
      return platform::ToCp1252(c);
    case TPDFFontEncoding::poMacRomanEncoding:
      return c < 0x80 ? static_cast<int>(c) : FindIn(kMacRomanHigh, c, 0x80);
    case TPDFFontEncoding::poStandardEncoding:
    case TPDFFontEncoding::poPDFDocEncoding:
      return StandardCode(c);
  }
  return -1;
}

std::string TextForEncoding(std::string_view text, TPDFFontEncoding encoding) {
  if (AsciiPasses(text, encoding)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    char32_t c = lead;
    const int length = lead < 0x80 ? 1 : platform::DecodeUtf8(text, at, c);
    if (length == 0) {
      if (encoding == TPDFFontEncoding::poWinAnsiEncoding) {
        out += text[at++];  // a Windows-1252 code already, the five undefined ones included
        continue;
      }
      c = platform::FromCp1252(lead);
    }
    const int code = CodeInEncoding(c, encoding);
    out += code < 0 ? '?' : static_cast<char>(code);
    at += static_cast<std::size_t>(std::max(length, 1));
  }
  return out;
}

}  // namespace vorlix::exporter::pdf
