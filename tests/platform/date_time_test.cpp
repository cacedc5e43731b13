#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/local_time.h"

using namespace vorlix::platform;

namespace {

LocaleFacts DayMonthYear() {
  LocaleFacts f;
  f.shortDateFormat = "dd/mm/yyyy";
  f.longTimeFormat = "hh:nn:ss";
  f.shortTimeFormat = "hh:nn";
  f.dateSeparator = '-';
  return f;
}

}  // namespace

TEST(PlatformDateTime, EncodeDecodeRoundTripAndZeroDate) {
  EXPECT_DOUBLE_EQ(*EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(*EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_DOUBLE_EQ(*EncodeDateTime(1970, 1, 1), 25569.0);
  EXPECT_FALSE(EncodeDateTime(2023, 2, 29));
  EXPECT_TRUE(EncodeDateTime(2024, 2, 29));
  EXPECT_FALSE(EncodeDateTime(2024, 1, 1, 24));

  const DateParts p = DecodeDateTime(*EncodeDateTime(2024, 7, 15, 13, 5, 9, 250));
  EXPECT_EQ(p.year, 2024);
  EXPECT_EQ(p.month, 7);
  EXPECT_EQ(p.day, 15);
  EXPECT_EQ(p.hour, 13);
  EXPECT_EQ(p.minute, 5);
  EXPECT_EQ(p.second, 9);
  EXPECT_EQ(p.millisecond, 250);
  EXPECT_EQ(p.dayOfWeek, 2);  // a Monday

  // Before the zero date the fraction is still the time of day.
  const DateParts early = DecodeDateTime(-1.25);
  EXPECT_EQ(early.day, 29);
  EXPECT_EQ(early.hour, 6);
}

TEST(PlatformDateTime, PicturesPrintSeparatorsAndFields) {
  const LocaleFacts f = DayMonthYear();
  const DateTime t = *EncodeDateTime(2003, 2, 1, 9, 7, 5);
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", t, f), "01-02-2003 09:07:05");
  EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", t, f), "1-2-03 9:7:5");
  EXPECT_EQ(FormatDateTime("hh:mm", t, f), "09:07");  // m after an hour is minutes
  EXPECT_EQ(FormatDateTime("h:mm", t, f), "9:07");
  EXPECT_EQ(FormatDateTime("h:m", t, f), "9:7");
  EXPECT_EQ(FormatDateTime("mmm mmmm ddd dddd", t, f), "Feb February Sat Saturday");
  EXPECT_EQ(FormatDateTime("h am/pm", *EncodeDateTime(2003, 2, 1, 15), f), "3 PM");
  EXPECT_EQ(FormatDateTime("\"at\" hh", t, f), "at 09");
  EXPECT_EQ(FormatDateTime("", t, f), "01-02-2003 09:07:05");
  EXPECT_EQ(FormatDateTime("", *EncodeDateTime(2003, 2, 1), f), "01-02-2003");
  // Runs read as the longest field they make; other characters leave "after an hour" alone.
  EXPECT_EQ(FormatDateTime("hh m, mmmmm", t, f), "09 7, February2");
  EXPECT_EQ(FormatDateTime("dddddd|zzzz|yyyyy|'q'", t, f), "1|0000|2003|q");
  EXPECT_EQ(FormatDateTime("ddddd tt", t, f), "01-02-2003 09:07:05");
}

// A picture printed many times is read once; printed again with other facts, it shows those.
TEST(PlatformDateTime, APictureUsedAgainShowsTheFactsItIsPrintedWith) {
  struct Row {
    const char* picture;
    void (*change)(LocaleFacts&);
    const char* before;
    const char* after;
  };
  const Row rows[] = {
      {"dd/mm", [](LocaleFacts& f) { f.dateSeparator = '.'; }, "01-02", "01.02"},
      {"hh:nn", [](LocaleFacts& f) { f.timeSeparator = 'h'; }, "15:07", "15h07"},
      {"ddddd", [](LocaleFacts& f) { f.shortDateFormat = "yyyy"; }, "01-02-2003", "2003"},
      {"tt", [](LocaleFacts& f) { f.longTimeFormat = "ss"; }, "15:07:05", "05"},
      {"t", [](LocaleFacts& f) { f.shortTimeFormat = "h"; }, "15:07", "15"},
      {"", [](LocaleFacts& f) { f.longTimeFormat = "h"; }, "01-02-2003 15:07:05", "01-02-2003 15"},
      // Marks longer than the picture's other fields take all the room they need.
      {"am/pm am/pm", [](LocaleFacts& f) { f.timePmString = "in the afternoon, after lunch"; },
       "PM PM", "in the afternoon, after lunch in the afternoon, after lunch"},
  };
  const DateTime t = *EncodeDateTime(2003, 2, 1, 15, 7, 5);
  for (const Row& row : rows) {
    LocaleFacts f = DayMonthYear();
    EXPECT_EQ(FormatDateTime(row.picture, t, f), row.before) << row.picture;
    row.change(f);
    EXPECT_EQ(FormatDateTime(row.picture, t, f), row.after) << row.picture;
  }
}

// A locale picture that names itself, directly or through "c", is read to a fixed depth and ends.
TEST(PlatformDateTime, LocalePicturesThatNameThemselvesEnd) {
  const DateTime t = *EncodeDateTime(2003, 2, 1, 15, 7, 5);
  LocaleFacts f = DayMonthYear();
  f.longTimeFormat = "tt";
  EXPECT_EQ(FormatDateTime("tt", t, f), "");
  EXPECT_EQ(FormatDateTime("c", t, f), "01-02-2003 ");
  f = DayMonthYear();
  f.shortDateFormat = "c";
  EXPECT_EQ(FormatDateTime("ddddd", t, f), "  15:07:05");
  EXPECT_EQ(FormatDateTime("c", t, f), "  15:07:05 15:07:05");
  EXPECT_EQ(FormatDateTime("c", *EncodeDateTime(2003, 2, 1), f), "");
}

TEST(PlatformDateTime, ParsesInTheLocaleFieldOrder) {
  const LocaleFacts f = DayMonthYear();
  EXPECT_DOUBLE_EQ(*ParseDateTime("01.02.2003", f), *EncodeDateTime(2003, 2, 1));
  EXPECT_DOUBLE_EQ(*ParseDateTime("01/02/2003 12:30", f), *EncodeDateTime(2003, 2, 1, 12, 30));
  EXPECT_DOUBLE_EQ(*ParseDateTime("12:30", f), *EncodeDateTime(1899, 12, 30, 12, 30));
  EXPECT_DOUBLE_EQ(*ParseDateTime("1:05:09 pm", f), *EncodeDateTime(1899, 12, 30, 13, 5, 9));
  LocaleFacts us = f;
  us.shortDateFormat = "mm/dd/yyyy";
  EXPECT_DOUBLE_EQ(*ParseDateTime("02/01/2003", us), *EncodeDateTime(2003, 2, 1));
  for (const char* bad : {"", "abc", "12", "1.5", "31/02/2003", "25:00", "01/02/2003 x"}) {
    EXPECT_FALSE(ParseDateTime(bad, f)) << bad;
  }
}

TEST(PlatformLocalTime, UsesTheOffsetOfTheStampsOwnDate) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "Europe/Amsterdam", 1);
  tzset();
  // 2024-01-15 12:00 UTC is 13:00 in winter; 2024-07-15 12:00 UTC is 14:00 in summer,
  // whatever the time of the call.
  EXPECT_EQ(DecodeDateTime(LocalDateTimeFromUnix(1705320000)).hour, 13);
  EXPECT_EQ(DecodeDateTime(LocalDateTimeFromUnix(1721044800)).hour, 14);
  EXPECT_EQ(DecodeDateTime(LocalDateTimeFromUnix(0)).hour, 1);
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}
