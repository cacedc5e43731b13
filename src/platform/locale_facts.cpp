#include "platform/locale_facts.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string_view>

namespace vorlix::platform {

namespace {

// Appends the picture for one strftime conversion (its modifier already dropped); false when it
// has none. Time zones ("%Z", "%z") have no picture and are left out.
bool AppendConversion(char conversion, std::string& out) {
  switch (conversion) {
    case 'd':
      out += "dd";
      return true;
    case 'e':
      out += "d";
      return true;
    case 'm':
      out += "mm";
      return true;
    case 'y':
      out += "yy";
      return true;
    case 'Y':
      out += "yyyy";
      return true;
    case 'b':
    case 'h':
      out += "mmm";
      return true;
    case 'B':
      out += "mmmm";
      return true;
    case 'a':
      out += "ddd";
      return true;
    case 'A':
      out += "dddd";
      return true;
    case 'H':
    case 'I':
      out += "hh";
      return true;
    case 'k':
    case 'l':
      out += "h";
      return true;
    case 'M':
      out += "nn";
      return true;
    case 'S':
      out += "ss";
      return true;
    case 'p':
    case 'P':
      out += "am/pm";
      return true;
    case 'r':
      out += "hh:nn:ss am/pm";
      return true;
    case 'D':
      out += "mm/dd/yy";
      return true;
    case 'F':
      out += "yyyy/mm/dd";
      return true;
    case 'T':
      out += "hh:nn:ss";
      return true;
    case 'R':
      out += "hh:nn";
      return true;
    case 'n':
    case 't':
      out += ' ';
      return true;
    case '%':
      out += '%';
      return true;
    default:
      return false;
  }
}

bool IsDateField(char conversion) {
  return std::string_view("demyYbhBaADFCe").find(conversion) != std::string_view::npos;
}

// One conversion of a strftime pattern: its letter, its modifier ("E", "O", "-", ...), and where
// the pattern goes on after it.
struct Conversion {
  char letter = 0;
  char modifier = 0;
  size_t next = 0;
};

// The conversion whose "%" is at `at`.
Conversion ConversionAt(const std::string& pattern, size_t at) {
  Conversion c;
  size_t i = at + 1;
  while (i < pattern.size() &&
         std::string_view("EO-_0^#").find(pattern[i]) != std::string_view::npos) {
    c.modifier = pattern[i];
    ++i;
  }
  c.letter = i < pattern.size() ? pattern[i] : '\0';
  c.next = std::min(i + 1, pattern.size());
  return c;
}

// The character a date pattern puts between its fields ("/" when it has none). Only an ASCII
// character counts: a letter of the locale's script (Japanese 年) is text, not a separator.
char DateSeparatorOf(const std::string& pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    const Conversion c = ConversionAt(pattern, i);
    if (IsDateField(c.letter) && c.next < pattern.size()) {
      const auto next = static_cast<unsigned char>(pattern[c.next]);
      if (next != '%' && next < 0x80 && !std::isalnum(next)) return static_cast<char>(next);
    }
    i = c.next - 1;
  }
  return '/';
}

std::string ShortTimeFrom(const std::string& longTime) {
  std::string result = longTime;
  const auto seconds = result.find(":ss");
  if (seconds != std::string::npos) result.erase(seconds, 3);
  return result;
}

// The picture without blanks at its ends or doubled where a time zone was left out.
std::string TidyBlanks(const std::string& picture) {
  std::string out;
  for (const char c : picture) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The text of a locale string in UTF-8: converted from the locale's own encoding when that is
// another one; bytes that do not convert are dropped.
std::string ToUtf8(const char* text, const std::string& codeset) {
  if (text == nullptr) return {};
  const std::string in(text);
  if (in.empty() || codeset == "UTF-8" || codeset == "ANSI_X3.4-1968") return in;
  iconv_t convert = iconv_open("UTF-8", codeset.c_str());
  if (convert == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out(in.size() * 4 + 4, '\0');
  char* from = const_cast<char*>(in.data());
  size_t fromLeft = in.size();
  char* to = out.data();
  size_t toLeft = out.size();
  while (fromLeft > 0) {
    if (iconv(convert, &from, &fromLeft, &to, &toLeft) != static_cast<size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    ++from;  // a byte that does not convert
    --fromLeft;
  }
  iconv_close(convert);
  out.resize(out.size() - toLeft);
  return out;
}

// A separator of numbers as one byte: the locale's own when it is one ASCII character, a blank for
// the spaces a locale groups with (no-break, narrow no-break, thin), else `fallback`.
char SingleByteSeparator(const std::string& utf8, char fallback) {
  if (utf8.size() == 1 && static_cast<unsigned char>(utf8[0]) < 0x80) return utf8[0];
  for (const char* space : {"\xC2\xA0", "\xE2\x80\xAF", "\xE2\x80\x89"}) {
    if (utf8 == space) return ' ';
  }
  if (utf8 == "\xE2\x80\x99") return '\'';  // right single quotation mark
  return fallback;
}

}  // namespace

std::string PictureFromStrftime(const std::string& pattern) {
  const char dateSep = DateSeparatorOf(pattern);
  bool isDatePattern = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    const Conversion c = ConversionAt(pattern, i);
    isDatePattern =
        isDatePattern || std::string_view("dmyYCeF").find(c.letter) != std::string_view::npos;
    i = c.next - 1;
  }
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const Conversion conversion = ConversionAt(pattern, i);
      i = conversion.next - 1;
      // The century and the year in it ("%C%y", "%OC%Oy") are the whole year, and so is the year
      // of an era ("%Ey"), which is shown in the common era: a year of two digits in another era
      // could be taken for the wrong one.
      if (conversion.letter == 'C' && i + 1 < pattern.size() && pattern[i + 1] == '%') {
        const Conversion year = ConversionAt(pattern, i + 1);
        if (year.letter == 'y') {
          out += "yyyy";
          i = year.next - 1;
        }
        continue;
      }
      if (conversion.letter == 'y' && conversion.modifier == 'E') {
        out += "yyyy";
        continue;
      }
      std::string piece;
      AppendConversion(conversion.letter, piece);
      // "%-d": the number without its leading zero.
      if (conversion.modifier == '-' && piece.size() == 2 && piece[0] == piece[1]) piece.resize(1);
      out += piece;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (isDatePattern && c == dateSep && byte < 0x80 && !std::isalnum(byte)) {
      out += '/';  // the date separator of the settings is printed in its place
    } else if ((byte < 0x80 && std::isalpha(byte)) || c == '\'') {
      out += '"';
      out += c;
      out += '"';
    } else if (c == '"') {
      out += "'\"'";
    } else {
      out += c;
    }
  }
  return TidyBlanks(out);
}

LocaleFacts ReadLocale(const char* name) {
  LocaleFacts facts;
  locale_t loc = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return facts;
  const std::string codeset = nl_langinfo_l(CODESET, loc);
  const auto text = [&](nl_item item) { return ToUtf8(nl_langinfo_l(item, loc), codeset); };

  const std::string dateFmt = text(D_FMT);
  std::string timeFmt = text(T_FMT);
  // "%r" is the locale's own 12-hour time.
  if (const size_t r = timeFmt.find("%r"); r != std::string::npos) {
    const std::string twelveHour = text(T_FMT_AMPM);
    timeFmt.replace(r, 2, twelveHour.empty() ? "%I:%M:%S %p" : twelveHour);
  }
  if (!dateFmt.empty()) {
    facts.shortDateFormat = PictureFromStrftime(dateFmt);
    facts.dateSeparator = DateSeparatorOf(dateFmt);
  }
  if (!timeFmt.empty()) {
    facts.longTimeFormat = PictureFromStrftime(timeFmt);
    facts.shortTimeFormat = ShortTimeFrom(facts.longTimeFormat);
  }
  // A 12-hour clock is read by its marks; a locale that names none gets AM and PM.
  if (const std::string am = text(AM_STR), pm = text(PM_STR); !am.empty() && !pm.empty()) {
    facts.timeAmString = am;
    facts.timePmString = pm;
  }

  const locale_t previous = uselocale(loc);
  const lconv* conv = localeconv();
  const std::string decimal = ToUtf8(conv->decimal_point, codeset);
  const std::string thousands = ToUtf8(conv->thousands_sep, codeset);
  if (!decimal.empty()) facts.decimalSeparator = SingleByteSeparator(decimal, '.');
  const char otherGrouping = facts.decimalSeparator == ',' ? '.' : ',';
  facts.thousandSeparator =
      thousands.empty() ? otherGrouping : SingleByteSeparator(thousands, otherGrouping);
  if (facts.thousandSeparator == facts.decimalSeparator) facts.thousandSeparator = otherGrouping;
  if (conv->currency_symbol && conv->currency_symbol[0]) {
    facts.currencySymbol = ToUtf8(conv->currency_symbol, codeset);
    const bool before = conv->p_cs_precedes == 1;
    const bool blank = conv->p_sep_by_space == 1;
    facts.currencyPlacement =
        before ? (blank ? CurrencyPlacement::BeforeBlank : CurrencyPlacement::BeforeNoBlank)
               : (blank ? CurrencyPlacement::AfterBlank : CurrencyPlacement::AfterNoBlank);
  }
  uselocale(previous);
  freelocale(loc);

  // The C library names no list separator; a comma decimal separator takes ";" as the list one.
  facts.listSeparator = facts.decimalSeparator == ',' ? ';' : ',';
  return facts;
}

LocaleFacts ReadSystemLocale() {
  return ReadLocale("");
}

LocaleFacts& FormatSettings() {
  static LocaleFacts settings = [] {
    LocaleFacts facts = ReadSystemLocale();
    facts.dateSeparator = '-';
    return facts;
  }();
  return settings;
}

void SetFormatSettings(const LocaleFacts& facts) {
  FormatSettings() = facts;
}

}  // namespace vorlix::platform
