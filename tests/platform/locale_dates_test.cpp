// Dates and times in the locales users run: the date and the time are always both there, a
// 12-hour clock with its marks, in UTF-8 whatever the locale's encoding. scripts/setup generates
// the locales.

#include <gtest/gtest.h>
#include <locale.h>

#include "platform/date_time.h"
#include "platform/locale_facts.h"
#include "platform/text_encoding.h"

namespace vorlix::platform {
namespace {

// The text of 2024-01-05 13:45:07 as the lookup shows a time stamp in the locale: its short date,
// a blank and its long time, with "-" between the parts of the date.
std::string Shown(const LocaleFacts& locale) {
  LocaleFacts facts = locale;
  facts.dateSeparator = '-';
  return FormatDateTime(facts.shortDateFormat + " " + facts.longTimeFormat,
                        *EncodeDateTime(2024, 1, 5, 13, 45, 7), facts);
}

bool IsUtf8(const std::string& text) {
  char32_t c;
  for (size_t at = 0; at < text.size();) {
    const int length = DecodeUtf8(text, at, c);
    if (length == 0) return false;
    at += static_cast<size_t>(length);
  }
  return true;
}

TEST(LocaleDates, EveryGeneratedLocaleShowsTheDateAndTheTimeInUtf8) {
  struct Row {
    const char* locale;
    const char* shown;
  };
  const Row rows[] = {
      {"C", "01-05-24 13:45:07"},
      {"en_US.UTF-8", "01-05-2024 01:45:07 PM"},
      {"en_GB.UTF-8", "05-01-24 13:45:07"},
      {"de_DE.UTF-8", "05-01-2024 13:45:07"},
      {"fr_FR.UTF-8", "05-01-2024 13:45:07"},
      {"tr_TR.UTF-8", "05-01-2024 13:45:07"},
      {"ja_JP.UTF-8",
       "2024\xE5\xB9\xB4"
       "01\xE6\x9C\x88"
       "05\xE6\x97\xA5 13\xE6\x99\x82"
       "45\xE5\x88\x86"
       "07\xE7\xA7\x92"},
      {"ja_JP.EUC-JP",
       "2024\xE5\xB9\xB4"
       "01\xE6\x9C\x88"
       "05\xE6\x97\xA5 13\xE6\x99\x82"
       "45\xE5\x88\x86"
       "07\xE7\xA7\x92"},
      {"ar_EG.UTF-8", "05-Jan,-2024 01:45:07 \xD9\x85"},
      {"zh_CN.UTF-8",
       "2024\xE5\xB9\xB4"
       "01\xE6\x9C\x88"
       "05\xE6\x97\xA5 13\xE6\x97\xB6"
       "45\xE5\x88\x86"
       "07\xE7\xA7\x92"},
  };
  for (const Row& row : rows) {
    const locale_t generated = newlocale(LC_ALL_MASK, row.locale, static_cast<locale_t>(0));
    if (generated == static_cast<locale_t>(0)) {
      ADD_FAILURE() << "the locale " << row.locale << " is not generated; scripts/setup does it";
      continue;
    }
    freelocale(generated);
    const LocaleFacts facts = ReadLocale(row.locale);
    const std::string shown = Shown(facts);
    EXPECT_EQ(shown, row.shown) << row.locale;
    EXPECT_TRUE(IsUtf8(shown) && IsUtf8(facts.currencySymbol)) << row.locale;
    EXPECT_LT(static_cast<unsigned char>(facts.thousandSeparator), 0x80) << row.locale;
    EXPECT_LT(static_cast<unsigned char>(facts.decimalSeparator), 0x80) << row.locale;
  }
  // French groups thousands with a narrow no-break space: one blank in a single-byte separator.
  EXPECT_EQ(ReadLocale("fr_FR.UTF-8").thousandSeparator, ' ');
}

TEST(LocaleDates, EveryKindOfLocalePatternKeepsBothParts) {
  // The conversions glibc's locales use in their date and time patterns, one of each kind.
  struct Row {
    const char* pattern;
    const char* picture;
  };
  const Row rows[] = {
      {"%m/%d/%y", "mm/dd/yy"},
      {"%d.%m.%Y", "dd/mm/yyyy"},  // "/" prints the date separator
      {"%Y-%m-%d", "yyyy/mm/dd"},
      {"%F", "yyyy/mm/dd"},
      {"%-d/%-m/%y", "d/m/yy"},
      {"%e %B %Y", "d/mmmm/yyyy"},
      {"%Od/%Om/%Oy", "dd/mm/yy"},  // other digits: ASCII ones
      {"%d/%m/%Ey", "dd/mm/yyyy"},  // the year of an era: the whole year
      {"%OC%Oy\xE5\xB9\xB4%Om\xE6\x9C\x88", "yyyy\xE5\xB9\xB4mm\xE6\x9C\x88"},  // century and year
      {"%H:%M:%S", "hh:nn:ss"},
      {"%T", "hh:nn:ss"},
      {"%R", "hh:nn"},
      {"%I:%M:%S %p", "hh:nn:ss am/pm"},
      {"%r", "hh:nn:ss am/pm"},
      {"%Z %I:%M:%S %p", "hh:nn:ss am/pm"},  // no picture for a time zone
      {"%l:%M:%S %P %Z", "h:nn:ss am/pm"},
      {"%p%I\xE6\x99\x82%M\xE5\x88\x86", "am/pmhh\xE6\x99\x82nn\xE5\x88\x86"},
      {"%OH:%OM:%OS", "hh:nn:ss"},
      {"%k.%M", "h.nn"},
      {"kl. %H.%M %z", "\"k\"\"l\". hh.nn"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(PictureFromStrftime(row.pattern), row.picture) << row.pattern;

  // A 12-hour clock prints the locale's marks; a locale without marks gets AM and PM.
  LocaleFacts facts;
  facts.timeAmString = "\xD8\xB5";
  facts.timePmString = "\xD9\x85";
  EXPECT_EQ(FormatDateTime("h:nn am/pm", *EncodeDateTime(2024, 1, 5, 13, 45), facts),
            "1:45 \xD9\x85");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", *EncodeDateTime(2024, 1, 5, 0, 5), facts),
            "12:05 \xD8\xB5");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", *EncodeDateTime(2024, 1, 5, 0, 5), LocaleFacts{}),
            "12:05 AM");
}

}  // namespace
}  // namespace vorlix::platform
