#include "export/morvat_writer.h"

#include "export/morvat_strings.h"

namespace vorlix::exporter {

std::string TMorvatWriter::AlignName(int align) const {
  switch (align) {
    case ecaLeft:
      return "Left alignment";
    case ecaCenter:
      return "Center alignment";
    case ecaRight:
      return "Right alignment";
  }
  return "Unknown alignment";
}

void TMorvatWriter::WriteLn(std::string_view text) {
  Stream.Write(text);
  Stream.Write("\r\n", 2);
}

void TMorvatWriter::CharLine(char ch, int count) {
  WriteLn(std::string(count > 0 ? static_cast<size_t>(count) : 0, ch));
}

std::string TMorvatWriter::PadLeft(const std::string& text, char ch, int width) {
  int d = width - TextLength(text);
  if (d <= 0) return text;
  return std::string(d, ch) + text;
}

std::string TMorvatWriter::PadRight(const std::string& text, char ch, int width) {
  int d = width - TextLength(text);
  if (d <= 0) return text;
  return text + std::string(d, ch);
}

std::string TMorvatWriter::PadCenter(const std::string& text, char ch, int width) {
  int d = width - TextLength(text);
  if (d <= 0) return text;
  int front = d / 2;
  return std::string(front, ch) + text + std::string(d - front, ch);
}

}  // namespace vorlix::exporter
