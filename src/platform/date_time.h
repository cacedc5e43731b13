#pragma once
// Date-time values as day counts: whole days since 1899-12-30 plus the fraction of the day,
// the representation that spreadsheet dates and the exporters' type guess rely on.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/locale_facts.h"

namespace vorlix::platform {

using DateTime = double;

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 0;  // 1 = Sunday ... 7 = Saturday (filled by DecodeDateTime)
};

// Returns nullopt for an invalid calendar date or time of day.
std::optional<DateTime> EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                       int second = 0, int millisecond = 0);
DateParts DecodeDateTime(DateTime value);

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (negative before it).
int64_t DaysSinceUnixEpoch(int64_t year, unsigned month, unsigned day);

// Day count of a moment given as seconds since 1970-01-01 00:00 UTC, taken as UTC.
DateTime DateTimeFromUnixUtc(int64_t seconds);

// Formats with a date-time picture. Tokens (case-insensitive): yyyy yy m mm mmm mmmm d dd ddd dddd
// h hh n nn s ss z zzz am/pm a/p, "c" (short date, blank, long time), "ddddd" (short date),
// "t" (short time), "tt" (long time); "/" prints the date separator and ":" the time separator;
// text in double or single quotes is copied. "m" right after an hour token means minutes.
// An empty picture gives the general form ("c" without a zero time part).
std::string FormatDateTime(const std::string& picture, DateTime value,
                           const LocaleFacts& facts = FormatSettings());

// Reads a date, a time, or a date and a time in the order of the facts' short date pattern,
// with "/" or the date separator between date parts and ":" between time parts (seconds and
// an am/pm mark optional). Nullopt when the text is not such a value.
std::optional<DateTime> ParseDateTime(const std::string& text,
                                      const LocaleFacts& facts = FormatSettings());

}  // namespace vorlix::platform
