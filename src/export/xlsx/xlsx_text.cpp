#include "export/xlsx/xlsx_text.h"

#include <algorithm>
#include <cctype>

#include "platform/text_encoding.h"

namespace vorlix::exporter::xlsx {

namespace {

// Appends a character of the Basic Multilingual Plane (every Windows-1252 character is one).
void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// "_xHHHH_" with four hexadecimal digits starts at `at`.
bool EscapeLikeAt(std::string_view text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_')
    return false;
  for (std::size_t i = at + 2; i < at + 6; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out.push_back(text[i++]);
      continue;
    }
    char32_t c = 0;
    const int length = platform::DecodeUtf8(text, i, c);
    if (length == 0) {
      AppendUtf8(out, platform::FromCp1252(byte));
      ++i;
    } else {
      out.append(text.substr(i, static_cast<std::size_t>(length)));
      i += static_cast<std::size_t>(length);
    }
  }
  return out;
}

std::string StoredCellText(std::string_view text) {
  std::string valid = ValidUtf8(text);
  // The common case holds neither an underscore, nor the bytes of U+FFFE / U+FFFF, nor a NUL.
  if (valid.find('_') == std::string::npos && valid.find("\xEF\xBF") == std::string::npos &&
      valid.find('\0') == std::string::npos)
    return valid;
  std::string out;
  out.reserve(valid.size() + 16);
  for (std::size_t i = 0; i < valid.size(); ++i) {
    if (EscapeLikeAt(valid, i)) {
      out += "_x005F_";  // the escaped underscore; the literal's "x0041_" follows as it is
      continue;
    }
    if (valid.compare(i, 3, "\xEF\xBF\xBE") == 0 || valid.compare(i, 3, "\xEF\xBF\xBF") == 0) {
      out += valid[i + 2] == '\xBE' ? "_xFFFE_" : "_xFFFF_";
      i += 2;
      continue;
    }
    if (valid[i] == '\0') {
      out += "_x0000_";  // the library takes texts up to their first NUL
      continue;
    }
    out.push_back(valid[i]);
  }
  return out;
}

}  // namespace vorlix::exporter::xlsx
