#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

// Windows-1252 characters 0x80 to 0x9F; 0 where the code page has none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t FromCp1252(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80] != 0 ? kCp1252High[c - 0x80] : c;
  return c;
}

bool InCp1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
  for (char16_t h : kCp1252High)
    if (h != 0 && h == c) return true;
  return false;
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
    int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
    if (c >= 0xF5) extra = -1;
    char32_t cp = extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    bool ok = extra > 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + static_cast<size_t>(k) >= n || (p[i + k] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (ok) {
      if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
          (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
        ok = false;
    }
    if (!ok) {
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
    i += static_cast<size_t>(extra) + 1;
  }
}

std::string Utf8FromUtf16(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
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

}  // namespace vorlix::exporter::xls
