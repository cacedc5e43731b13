#include "export/xls/date_formats.h"

#include <cctype>
#include <string_view>

#include "platform/date_picture.h"

namespace vorlix::exporter::xls {
namespace {

// A character shown as it is: letters, digits and the characters with a meaning in number
// formats are escaped; punctuation such as "-", "." or "," stands for itself.
void Literal(char c, std::string& out) {
  if (std::isalnum(static_cast<unsigned char>(c)) ||
      std::string_view("\"\\@*_?#%[];/").find(c) != std::string_view::npos)
    out += '\\';
  out += c;
}

// Text shown as it is: in double quotes, or character by character when it is a single
// character or holds a double quote.
void Text(std::string_view text, std::string& out) {
  if (text.size() > 1 && text.find('"') == std::string_view::npos) {
    out += '"';
    out += text;
    out += '"';
    return;
  }
  for (char c : text) Literal(c, out);
}

void Separator(char separator, std::string& out) {
  if (separator == ':')
    out += ':';
  else
    Literal(separator, out);
}

// The elements and their codes come from the table FormatDateTime reads, so both show the same
// fields.
void Translate(const std::string& picture, const platform::LocaleFacts& facts, std::string& out,
               int depth) {
  if (depth > 2) return;  // "c" inside a locale pattern must not recurse without end
  platform::ForEachPictureElement(picture, [&](const platform::PictureToken& token) {
    using S = platform::ElementShows;
    const platform::PictureElementForm& form = platform::FormOf(token.element);
    switch (form.shows) {
      case S::kText:
        Text(token.text, out);
        break;
      case S::kSeparator:
        Separator(facts.*form.separator, out);
        break;
      case S::kAmPm:
      case S::kAP:
      case S::kNumber:
      case S::kName:
        out += form.formatCode;
        break;
      case S::kLocalePattern:
        Translate(facts.*form.pattern, facts, out, depth + 1);
        break;
      case S::kDateAndTime:
        // A format cannot leave out a zero time as the program does; it shows it.
        Translate(facts.shortDateFormat, facts, out, depth + 1);
        out += ' ';
        Translate(facts.longTimeFormat, facts, out, depth + 1);
        break;
    }
  });
}

}  // namespace

std::string SpreadsheetDateFormat(const std::string& picture, const platform::LocaleFacts& facts) {
  std::string out;
  Translate(picture.empty() ? std::string("c") : picture, facts, out, 0);
  return out;
}

}  // namespace vorlix::exporter::xls
