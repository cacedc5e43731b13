#include "export/pdf/pdf_text.h"

#include "export/pdf/font_encodings.h"

namespace vorlix::exporter::pdf {

std::string WinAnsiFromUtf8(std::string_view text) {
  return TextForEncoding(text, TPDFFontEncoding::poWinAnsiEncoding);
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
