#include "export/xls/date_formats.h"

#include <cctype>
#include <string_view>

namespace vorlix::exporter::xls {
namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(const std::string& s, size_t at, std::string_view word) {
  if (at + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(s[at + i]) != word[i]) return false;
  return true;
}

size_t RunLength(const std::string& s, size_t at) {
  size_t n = 0;
  while (at + n < s.size() && Lower(s[at + n]) == Lower(s[at])) ++n;
  return n;
}

// A character shown as it is: letters, digits and the characters with a meaning in number
// formats are escaped; punctuation such as "-", "." or "," stands for itself.
void Literal(char c, std::string& out) {
  if (std::isalnum(static_cast<unsigned char>(c)) ||
      std::string_view("\"\\@*_?#%[];/").find(c) != std::string_view::npos)
    out += '\\';
  out += c;
}

// Quoted text: in double quotes, or character by character when it holds a double quote.
void QuotedText(const std::string& text, std::string& out) {
  if (text.empty()) return;
  if (text.find('"') == std::string::npos) {
    out += '"' + text + '"';
    return;
  }
  for (char c : text) Literal(c, out);
}

// Tokens are read exactly as FormatDateTime reads them, so both show the same fields.
void Translate(const std::string& picture, const platform::LocaleFacts& facts, std::string& out,
               int depth) {
  if (depth > 2) return;  // "c" inside a locale pattern must not recurse without end
  bool lastWasHour = false;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '"' || c == '\'') {
      const size_t close = picture.find(c, i + 1);
      const size_t end = close == std::string::npos ? picture.size() : close;
      QuotedText(picture.substr(i + 1, end - i - 1), out);
      i = end == picture.size() ? end : end + 1;
      continue;
    }
    if (c == '/' || c == ':') {
      const char separator = c == '/' ? facts.dateSeparator : facts.timeSeparator;
      if (separator == ':')
        out += ':';
      else
        Literal(separator, out);
      ++i;
      continue;
    }
    if (StartsWithNoCase(picture, i, "am/pm")) {
      out += "AM/PM";
      i += 5;
      continue;
    }
    if (StartsWithNoCase(picture, i, "a/p")) {
      out += "A/P";
      i += 3;
      continue;
    }
    const size_t run = RunLength(picture, i);
    const bool hour = Lower(c) == 'h';
    switch (Lower(c)) {
      case 'y':
        out += run <= 2 ? "yy" : "yyyy";
        i += run;
        break;
      case 'm':
        // After an hour "m" and "mm" are minutes here as there; otherwise months.
        out.append(lastWasHour && run <= 2 ? run : std::min<size_t>(run, 4), 'm');
        i += lastWasHour && run <= 2 ? run : std::min<size_t>(run, 4);
        break;
      case 'd':
        if (run >= 5)
          Translate(facts.shortDateFormat, facts, out, depth + 1);
        else
          out.append(run, 'd');
        i += std::min<size_t>(run, 5);
        break;
      case 'h':
        out += run == 1 ? "h" : "hh";
        i += std::min<size_t>(run, 2);
        break;
      case 'n':
        out += run == 1 ? "m" : "mm";
        i += std::min<size_t>(run, 2);
        break;
      case 's':
        out += run == 1 ? "s" : "ss";
        i += std::min<size_t>(run, 2);
        break;
      case 'z':
        out += run >= 3 ? "000" : "0";
        i += run >= 3 ? 3 : 1;
        break;
      case 't':
        Translate(run >= 2 ? facts.longTimeFormat : facts.shortTimeFormat, facts, out, depth + 1);
        i += std::min<size_t>(run, 2);
        break;
      case 'c':
        Translate(facts.shortDateFormat, facts, out, depth + 1);
        out += ' ';
        Translate(facts.longTimeFormat, facts, out, depth + 1);
        i += 1;
        break;
      default:
        // Other characters are shown as they are and, as there, leave "after an hour" alone.
        Literal(c, out);
        i += 1;
        continue;
    }
    lastWasHour = hour;
  }
}

}  // namespace

std::string SpreadsheetDateFormat(const std::string& picture, const platform::LocaleFacts& facts) {
  std::string out;
  Translate(picture.empty() ? std::string("c") : picture, facts, out, 0);
  return out;
}

}  // namespace vorlix::exporter::xls
