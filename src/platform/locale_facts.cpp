#include "platform/locale_facts.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <string_view>

namespace vorlix::platform {

namespace {

// Appends the picture for one strftime conversion; false when it has none.
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
    case '%':
      out += '%';
      return true;
    default:
      return false;
  }
}

bool IsDateField(char conversion) {
  return std::string_view("demyYbhBaAD").find(conversion) != std::string_view::npos;
}

// The character a date pattern puts between its fields ("/" when it has none).
char DateSeparatorOf(const std::string& pattern) {
  for (size_t i = 0; i + 2 < pattern.size(); ++i) {
    if (pattern[i] == '%' && IsDateField(pattern[i + 1]) && pattern[i + 2] != '%') {
      return pattern[i + 2];
    }
  }
  return '/';
}

std::string ShortTimeFrom(const std::string& longTime) {
  std::string result = longTime;
  const auto seconds = result.find(":ss");
  if (seconds != std::string::npos) result.erase(seconds, 3);
  return result;
}

}  // namespace

std::string PictureFromStrftime(const std::string& pattern) {
  const char dateSep = DateSeparatorOf(pattern);
  const bool isDatePattern =
      pattern.find("%d") != std::string::npos || pattern.find("%m") != std::string::npos ||
      pattern.find("%y") != std::string::npos || pattern.find("%Y") != std::string::npos;
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      char conversion = pattern[i + 1];
      size_t skip = 1;
      // Modifiers such as %Ey, %Od, %-d.
      if ((conversion == 'E' || conversion == 'O' || conversion == '-') && i + 2 < pattern.size()) {
        conversion = pattern[i + 2];
        skip = 2;
      }
      if (AppendConversion(conversion, out)) {
        i += skip;
        continue;
      }
      i += skip;
      continue;
    }
    if (isDatePattern && c == dateSep && !std::isalnum(static_cast<unsigned char>(c))) {
      out += '/';  // the date separator of the settings is printed in its place
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      out += '"';
      out += c;
      out += '"';
    } else {
      out += c;
    }
  }
  return out;
}

LocaleFacts ReadSystemLocale() {
  LocaleFacts facts;
  locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return facts;

  const std::string dateFmt = nl_langinfo_l(D_FMT, loc);
  const std::string timeFmt = nl_langinfo_l(T_FMT, loc);
  if (!dateFmt.empty()) {
    facts.shortDateFormat = PictureFromStrftime(dateFmt);
    facts.dateSeparator = DateSeparatorOf(dateFmt);
  }
  if (!timeFmt.empty()) {
    facts.longTimeFormat = PictureFromStrftime(timeFmt);
    facts.shortTimeFormat = ShortTimeFrom(facts.longTimeFormat);
  }

  const locale_t previous = uselocale(loc);
  const lconv* conv = localeconv();
  if (conv->decimal_point && conv->decimal_point[0])
    facts.decimalSeparator = conv->decimal_point[0];
  if (conv->thousands_sep && conv->thousands_sep[0]) {
    facts.thousandSeparator = conv->thousands_sep[0];
  } else {
    facts.thousandSeparator = facts.decimalSeparator == ',' ? '.' : ',';
  }
  if (conv->currency_symbol && conv->currency_symbol[0]) {
    facts.currencySymbol = conv->currency_symbol;
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
