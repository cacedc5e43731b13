#include "export/xls/text_codec.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "platform/text_encoding.h"

namespace vorlix::exporter::xls {

namespace {

char16_t FromCp1252(unsigned char c) {
  return static_cast<char16_t>(platform::FromCp1252(c));
}

bool InCp1252(char16_t c) {
  return platform::ToCp1252(c) >= 0;
}

}  // namespace

std::u16string Utf16FromUtf8(const std::string& text) {
  std::u16string out;
  Utf16FromUtf8(text, out);
  return out;
}

void Utf16FromUtf8(const std::string& text, std::u16string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  // Plain ASCII, the common case, widens byte by byte.
  out.resize(n);
  size_t i = 0;
  while (i < n && p[i] < 0x80) {
    out[i] = p[i];
    ++i;
  }
  if (i == n) return;
  out.resize(i);
  while (i < n) {
    unsigned char c = p[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    char32_t cp = 0;
    const int length = platform::DecodeUtf8(text, i, cp);
    if (length == 0) {
      out.push_back(FromCp1252(c));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<size_t>(length);
  }
}

std::u16string ThroughCodePage(const std::u16string& text) {
  std::u16string out = text;
  for (char16_t& c : out)
    if (!InCp1252(c)) c = u'?';
  return out;
}

bool FitsCompressed(const std::u16string& text) {
  for (char16_t c : text)
    if (c > 0xFF) return false;
  return true;
}

size_t Utf16Length(const std::string& text) {
  return Utf16FromUtf8(text).size();
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* units = reinterpret_cast<const UChar*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(units, i, length, c);
    c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (U_IS_BMP(c)) {
      out += static_cast<char16_t>(c);
    } else {
      out += static_cast<char16_t>(U16_LEAD(c));
      out += static_cast<char16_t>(U16_TRAIL(c));
    }
  }
  return out;
}

}  // namespace vorlix::exporter::xls
