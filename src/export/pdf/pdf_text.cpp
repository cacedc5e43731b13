#include "export/pdf/pdf_text.h"

#include <algorithm>
#include <cstdint>

namespace vorlix::exporter::pdf {
namespace {

// Characters of codes 0x80 to 0x9F in Windows-1252; 0 where the code page has none.
constexpr char32_t kHighCodes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char CodeFor(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighCodes[i] == c && c != 0) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Length of the valid UTF-8 sequence at `at` and its character; 0 when it is not one.
int DecodeUtf8(std::string_view text, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  int length;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (int i = 1; i < length; ++i) {
    const std::uint8_t next = byte(at + i);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are not valid.
  if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
      (c >= 0xD800 && c <= 0xDFFF))
    return 0;
  return length;
}

}  // namespace

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char ch) { return (ch & 0x80) == 0; });
}

std::string WinAnsiFromUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    char32_t c = 0;
    const int length = lead < 0x80 ? 0 : DecodeUtf8(text, at, c);
    if (length == 0) {
      out += text[at++];
    } else {
      out += CodeFor(c);
      at += static_cast<std::size_t>(length);
    }
  }
  return out;
}

std::string EscapeStringDelimiters(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char ch : text) {
    if (ch == '(' || ch == ')') {
      out += '\\';
      out += ch;
    } else if (ch == '\r') {
      out += "\\r";
    } else {
      out += ch;
    }
  }
  return out;
}

std::string DoubleBackslashes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (char ch : text) {
    out += ch;
    if (ch == '\\') out += '\\';
  }
  return out;
}

}  // namespace vorlix::exporter::pdf
