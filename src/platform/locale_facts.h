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
  char dateSeparator = '-';  // what "/" in a date picture prints
  char timeSeparator = ':';  // what ":" in a time picture prints
  char decimalSeparator = '.';
  char thousandSeparator = ',';
  char listSeparator = ',';
  std::string currencySymbol = "$";
  CurrencyPlacement currencyPlacement = CurrencyPlacement::BeforeNoBlank;
};

// Facts of the C library's current LC_TIME / LC_NUMERIC / LC_MONETARY locale,
// with the date separator taken from the locale's date pattern.
LocaleFacts ReadSystemLocale();

// The process-wide format settings. At first use they are ReadSystemLocale() with the
// date separator set to "-"; they are not refreshed when the system settings change.
LocaleFacts& FormatSettings();

// Replaces the process-wide settings (tests pin them with this).
void SetFormatSettings(const LocaleFacts& facts);

// Converts a strftime pattern ("%m/%d/%y", "%H:%M:%S") to a picture ("mm/dd/yy", "hh:nn:ss").
std::string PictureFromStrftime(const std::string& pattern);

}  // namespace vorlix::platform
