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

// The elements are those FormatDateTime reads, so both show the same fields.
void Translate(const std::string& picture, const platform::LocaleFacts& facts, std::string& out,
               int depth) {
  if (depth > 2) return;  // "c" inside a locale pattern must not recurse without end
  platform::ForEachPictureElement(picture, [&](const platform::PictureToken& token) {
    using E = platform::PictureElement;
    switch (token.element) {
      case E::kText:
        Text(token.text, out);
        break;
      case E::kDateSeparator:
        Separator(facts.dateSeparator, out);
        break;
      case E::kTimeSeparator:
        Separator(facts.timeSeparator, out);
        break;
      case E::kAmPm:
        out += "AM/PM";
        break;
      case E::kAP:
        out += "A/P";
        break;
      case E::kYear2:
        out += "yy";
        break;
      case E::kYear4:
        out += "yyyy";
        break;
      case E::kMonth:
        out += "m";
        break;
      case E::kMonth2:
        out += "mm";
        break;
      case E::kMonthShortName:
        out += "mmm";
        break;
      case E::kMonthLongName:
        out += "mmmm";
        break;
      case E::kDay:
        out += "d";
        break;
      case E::kDay2:
        out += "dd";
        break;
      case E::kDayShortName:
        out += "ddd";
        break;
      case E::kDayLongName:
        out += "dddd";
        break;
      case E::kShortDate:
        Translate(facts.shortDateFormat, facts, out, depth + 1);
        break;
      case E::kHour:
        out += "h";
        break;
      case E::kHour2:
        out += "hh";
        break;
      // Minutes: "m" and "mm" read as minutes after an hour here as there.
      case E::kMinute:
        out += "m";
        break;
      case E::kMinute2:
        out += "mm";
        break;
      case E::kSecond:
        out += "s";
        break;
      case E::kSecond2:
        out += "ss";
        break;
      case E::kMillisecond:
        out += "0";
        break;
      case E::kMillisecond3:
        out += "000";
        break;
      case E::kShortTime:
        Translate(facts.shortTimeFormat, facts, out, depth + 1);
        break;
      case E::kLongTime:
        Translate(facts.longTimeFormat, facts, out, depth + 1);
        break;
      case E::kDateAndTime:
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
