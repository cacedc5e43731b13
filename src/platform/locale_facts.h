#pragma once
// Locale facts that dates, times, numbers and separators are formatted with.
// The process keeps one set of format settings, read from the C library's locale once
// at first use; tests and the PDF writer change single fields of it.

#include <string>

namespace vorlix::platform {

// Where the currency symbol goes: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
enum class CurrencyPlacement {
  BeforeNoBlank = 0,
  AfterNoBlank = 1,
  BeforeBlank = 2,
  AfterBlank = 3
};

struct LocaleFacts {
  // Pictures in the date-time picture syntax (see date_time.h), e.g. "dd/mm/yyyy".
  std::string shortDateFormat = "yyyy/mm/dd";
  std::string longTimeFormat = "hh:nn:ss";
  std::string shortTimeFormat = "hh:nn";
  std::string timeAmString = "AM";  // what "am/pm" prints before noon (UTF-8)
  std::string timePmString = "PM";  // and from noon on
  char dateSeparator = '-';         // what "/" in a date picture prints
  char timeSeparator = ':';         // what ":" in a time picture prints
  char decimalSeparator = '.';
  char thousandSeparator = ',';
  char listSeparator = ',';
  std::string currencySymbol = "$";
  CurrencyPlacement currencyPlacement = CurrencyPlacement::BeforeNoBlank;
};

// Facts of a locale of the C library (its LC_TIME, LC_NUMERIC and LC_MONETARY parts; "" is the
// user's, from the environment), with the date separator taken from the locale's date pattern.
// Every text is UTF-8, whatever the locale's encoding; separators of numbers are single ASCII
// characters (a space-like grouping character becomes a blank).
LocaleFacts ReadLocale(const char* name);
LocaleFacts ReadSystemLocale();  // ReadLocale("")

// The process-wide format settings. At first use they are ReadSystemLocale() with the
// date separator set to "-"; they are not refreshed when the system settings change.
LocaleFacts& FormatSettings();

// Replaces the process-wide settings (tests pin them with this).
void SetFormatSettings(const LocaleFacts& facts);

// Converts a strftime pattern ("%m/%d/%y", "%H:%M:%S") to a picture ("mm/dd/yy", "hh:nn:ss"),
// for every conversion the C library's locales use in their date and time patterns: modifiers
// ("%Od", "%-d") are dropped (numbers print in ASCII digits), a century with its year ("%C%y")
// and the year of an era ("%Ey") are the whole year, time zones ("%Z", "%z") are left out.
std::string PictureFromStrftime(const std::string& pattern);

}  // namespace vorlix::platform
