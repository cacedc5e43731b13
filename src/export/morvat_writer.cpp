#include "export/morvat_writer.h"

#include <algorithm>

#include "platform/text_encoding.h"

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

namespace {

// How many characters the text falls short of `width`; none when it is as wide or wider.
int Shortfall(const std::string& text, int width) {
  return std::max(0, width - static_cast<int>(platform::CharacterCount(text)));
}

}  // namespace

std::string TMorvatWriter::PadLeft(const std::string& text, char ch, int width) {
  const int d = Shortfall(text, width);
  return std::string(d, ch) + text;
}

std::string TMorvatWriter::PadRight(const std::string& text, char ch, int width) {
  const int d = Shortfall(text, width);
  return text + std::string(d, ch);
}

std::string TMorvatWriter::PadCenter(const std::string& text, char ch, int width) {
  const int d = Shortfall(text, width);
  int front = d / 2;
  return std::string(front, ch) + text + std::string(d - front, ch);
}

}  // namespace vorlix::exporter
