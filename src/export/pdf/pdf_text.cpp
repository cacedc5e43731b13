#include "export/pdf/pdf_text.h"

#include <algorithm>
#include <cstdint>

#include "platform/text_encoding.h"

namespace vorlix::exporter::pdf {
namespace {

char CodeFor(char32_t c) {
  const int code = platform::ToCp1252(c);
  return code < 0 ? '?' : static_cast<char>(code);
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
    const int length = lead < 0x80 ? 0 : platform::DecodeUtf8(text, at, c);
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
