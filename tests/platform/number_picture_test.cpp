#include "platform/number_picture.h"

#include <gtest/gtest.h>

using namespace vorlix::platform;

TEST(PlatformNumberPicture, DefaultFormatsGroupAndRound) {
  LocaleFacts f;
  EXPECT_EQ(FormatNumber("#,###,##0", 1234567, f), "1,234,567");
  EXPECT_EQ(FormatNumber("#,###,##0", 0, f), "0");
  EXPECT_EQ(FormatNumber("#,###,##0", -1234, f), "-1,234");
  EXPECT_EQ(FormatNumber("#,###,##0.00", 1234.5, f), "1,234.50");
  EXPECT_EQ(FormatNumber("#,###,##0.00", 0.005, f), "0.01");
  EXPECT_EQ(FormatNumber("0.##", 2.5, f), "2.5");
  EXPECT_EQ(FormatNumber("0.##", 2, f), "2");
  EXPECT_EQ(FormatNumber("000", 7, f), "007");
  EXPECT_EQ(FormatNumber("$#,##0.00", 1234.5, f), "$1,234.50");
  EXPECT_EQ(FormatNumber("#,##0.00 \"EUR\"", 3, f), "3.00 EUR");
  EXPECT_EQ(FormatNumber("0;(0);zero", -5, f), "(5)");
  EXPECT_EQ(FormatNumber("0;(0);zero", 0, f), "zero");

  LocaleFacts de = f;
  de.decimalSeparator = ',';
  de.thousandSeparator = '.';
  EXPECT_EQ(FormatNumber("#,###,##0.00", 1234567.891, de), "1.234.567,89");
  EXPECT_EQ(FormatNumber("", 1.5, de), "1,5");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2, f), "0.3");
}

TEST(PlatformNumberPicture, ReadsNumbersStrictly) {
  LocaleFacts f;
  EXPECT_EQ(ParseInt32(" -12 "), -12);
  EXPECT_EQ(ParseInt32("+7"), 7);
  EXPECT_FALSE(ParseInt32("2147483648"));
  EXPECT_EQ(ParseInt64("2147483648"), 2147483648LL);
  for (const char* bad : {"", "abc", "1.5", "12x", "--1"}) EXPECT_FALSE(ParseInt32(bad)) << bad;

  EXPECT_DOUBLE_EQ(*ParseFloat("1.5", f), 1.5);
  EXPECT_DOUBLE_EQ(*ParseFloat("-2e3", f), -2000);
  EXPECT_DOUBLE_EQ(*ParseFloat("12", f), 12);
  for (const char* bad : {"", "abc", "1,5", "1.5.2", "e5", "1e"})
    EXPECT_FALSE(ParseFloat(bad, f)) << bad;
  LocaleFacts de = f;
  de.decimalSeparator = ',';
  EXPECT_DOUBLE_EQ(*ParseFloat("1,5", de), 1.5);
  EXPECT_FALSE(ParseFloat("1.5", de));
}
