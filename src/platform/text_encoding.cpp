#include "platform/text_encoding.h"

#include <cstdint>

namespace vorlix::platform {

namespace {

// Characters of the codes 0x80 to 0x9F; 0 where the code page has none.
constexpr char32_t kHighCodes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

int DecodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint) {
  if (at >= text.size()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  int length;
  char32_t c;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
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
  if (at + static_cast<std::size_t>(length) > text.size()) return 0;
  for (int i = 1; i < length; ++i) {
    const std::uint8_t next = byte(at + static_cast<std::size_t>(i));
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
      (c >= 0xD800 && c <= 0xDFFF)) {
    return 0;
  }
  codePoint = c;
  return length;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  char32_t ignored;
  for (std::size_t at = 0; at < text.size(); ++count) {
    if (static_cast<std::uint8_t>(text[at]) < 0x80) {  // ASCII, the common case: no decoding
      ++at;
      continue;
    }
    const int length = DecodeUtf8(text, at, ignored);
    at += length > 0 ? static_cast<std::size_t>(length) : 1;
  }
  return count;
}

char32_t FromCp1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0 && kHighCodes[byte - 0x80] != 0) return kHighCodes[byte - 0x80];
  return byte;
}

int ToCp1252(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<int>(codePoint);
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighCodes[i] != 0 && kHighCodes[i] == codePoint) return 0x80 + i;
  }
  return -1;
}

}  // namespace vorlix::platform
