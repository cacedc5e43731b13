#include "platform/date_time.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/compiled_picture.h"
#include "platform/plain_text.h"

namespace vorlix::platform {

namespace {

constexpr int64_t kMsPerDay = 86'400'000;
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffsetDays = -25569;

namespace chrono = std::chrono;

// The day `days` after 1970-01-01 (before it when negative).
chrono::sys_days UnixDay(int64_t days) {
  return chrono::sys_days{chrono::days{days}};
}

}  // namespace

int64_t DaysSinceUnixEpoch(int64_t y, unsigned m, unsigned d) {
  // A day past the month's end counts on into the next month.
  const chrono::year_month_day first{chrono::year{static_cast<int>(y)}, chrono::month{m},
                                     chrono::day{1}};
  return (chrono::sys_days{first} + chrono::days{d} - chrono::days{1}).time_since_epoch().count();
}

std::optional<DateTime> EncodeDateTime(int year, int month, int day, int hour, int minute,
                                       int second, int millisecond) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999) {
    return std::nullopt;
  }
  const chrono::year_month_day date{chrono::year{year}, chrono::month{static_cast<unsigned>(month)},
                                    chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return std::nullopt;  // a day the month does not have
  const int64_t days = chrono::sys_days{date}.time_since_epoch().count() - kEpochOffsetDays;
  const double fraction =
      ((hour * 3600.0 + minute * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
  // Days before 1899-12-30 keep their time of day as a positive fraction.
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateParts DecodeDateTime(DateTime value) {
  DateParts parts;
  double whole = std::trunc(value);
  int64_t ms = static_cast<int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    whole += value >= 0 ? 1 : -1;
  }
  const int64_t days = static_cast<int64_t>(whole) + kEpochOffsetDays;
  const chrono::year_month_day date{UnixDay(days)};
  parts.year = static_cast<int>(date.year());
  parts.month = static_cast<int>(static_cast<unsigned>(date.month()));
  parts.day = static_cast<int>(static_cast<unsigned>(date.day()));
  parts.hour = static_cast<int>(ms / 3'600'000);
  parts.minute = static_cast<int>(ms / 60'000 % 60);
  parts.second = static_cast<int>(ms / 1000 % 60);
  parts.millisecond = static_cast<int>(ms % 1000);
  parts.dayOfWeek = static_cast<int>(chrono::weekday{UnixDay(days)}.c_encoding()) + 1;
  return parts;
}

DateTime DateTimeFromUnixUtc(int64_t seconds) {
  const int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  const int64_t rest = seconds - days * 86400;
  const auto date = DecodeDateTime(static_cast<double>(days - kEpochOffsetDays));
  return *EncodeDateTime(date.year, date.month, date.day, static_cast<int>(rest / 3600),
                         static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

std::string FormatDateTime(const std::string& picture, DateTime value, const LocaleFacts& facts) {
  // A picture is mostly used for many values in a row (a column, a listing): the last one read
  // is kept, per thread, and read again only when it or the facts it was read with change.
  const std::string_view wanted = picture.empty() ? std::string_view("c") : picture;
  thread_local std::optional<CompiledPicture> last;
  if (!last || !last->Matches(wanted, facts)) last.emplace(wanted, facts);
  std::string out;
  last->AppendTo(out, DecodeDateTime(value), facts);
  return out;
}

namespace {

struct Cursor {
  const std::string& s;
  size_t pos = 0;

  void SkipBlanks() {
    while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
  }
  bool AtEnd() const { return pos >= s.size(); }
  std::optional<int> Number(int maxDigits) {
    size_t start = pos;
    int value = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) &&
           static_cast<int>(pos - start) < maxDigits) {
      value = value * 10 + (s[pos] - '0');
      ++pos;
    }
    if (pos == start) return std::nullopt;
    return value;
  }
  int DigitsSince(size_t start) const { return static_cast<int>(pos - start); }
};

// The order of year, month and day in a date picture, e.g. "dmy".
std::string FieldOrder(const std::string& picture) {
  std::string order;
  for (char c : picture) {
    const char l = LowerCase(c);
    if ((l == 'd' || l == 'm' || l == 'y') && order.find(l) == std::string::npos) order += l;
  }
  return order.size() == 3 ? order : "mdy";
}

// The year of the local date now.
int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm.tm_year + 1900;
}

bool IsDateSeparator(char c, const LocaleFacts& facts) {
  return c == '/' || c == '-' || c == '.' || c == facts.dateSeparator;
}

std::optional<double> ParseDatePart(Cursor& cur, const LocaleFacts& facts) {
  const size_t start = cur.pos;
  std::array<int, 3> values{};
  std::array<int, 3> digits{};
  int count = 0;
  char usedSeparator = 0;
  while (count < 3) {
    const size_t numberStart = cur.pos;
    const auto n = cur.Number(4);
    if (!n) break;
    digits[count] = cur.DigitsSince(numberStart);
    values[count++] = *n;
    if (cur.AtEnd() || !IsDateSeparator(cur.s[cur.pos], facts)) break;
    usedSeparator = cur.s[cur.pos];
    if (count < 3) ++cur.pos;
  }
  // A day and month without a year read only with a date separator, so "1.5" stays a number.
  const bool shortForm =
      count == 2 && (usedSeparator == '.' || (!cur.AtEnd() && cur.s[cur.pos] == ':'));
  if (count < 2 || shortForm) {
    cur.pos = start;
    return std::nullopt;
  }
  const std::string order = FieldOrder(facts.shortDateFormat);
  int year = 0, month = 0, day = 0;
  bool yearGiven = false;
  int index = 0;
  for (char field : order) {
    if (count == 2 && field == 'y') continue;
    const int v = values[index];
    if (field == 'y') {
      year = v;
      yearGiven = digits[index] <= 2;
    } else if (field == 'm') {
      month = v;
    } else {
      day = v;
    }
    ++index;
  }
  if (count == 2) {
    year = CurrentYear();
  } else if (yearGiven) {
    // Two-digit years fall in the century window that ends 50 years ahead of now.
    const int current = CurrentYear();
    year += current / 100 * 100;
    if (year > current + 50) year -= 100;
    if (year < current - 49) year += 100;
  }
  auto date = EncodeDateTime(year, month, day);
  if (!date) cur.pos = start;
  return date;
}

std::optional<double> ParseTimePart(Cursor& cur) {
  const size_t start = cur.pos;
  const auto hour = cur.Number(2);
  if (!hour || cur.AtEnd() || cur.s[cur.pos] != ':') {
    cur.pos = start;
    return std::nullopt;
  }
  ++cur.pos;
  const auto minute = cur.Number(2);
  if (!minute) {
    cur.pos = start;
    return std::nullopt;
  }
  int second = 0, ms = 0;
  if (!cur.AtEnd() && cur.s[cur.pos] == ':') {
    ++cur.pos;
    const auto s = cur.Number(2);
    if (!s) {
      cur.pos = start;
      return std::nullopt;
    }
    second = *s;
    if (!cur.AtEnd() && cur.s[cur.pos] == '.') {
      ++cur.pos;
      const auto z = cur.Number(3);
      if (!z) {
        cur.pos = start;
        return std::nullopt;
      }
      ms = *z;
    }
  }
  int h = *hour;
  cur.SkipBlanks();
  const std::string_view mark = std::string_view(cur.s).substr(cur.pos, 2);
  if (EqualNoCase(mark, "am") || EqualNoCase(mark, "pm")) {
    const bool pm = LowerCase(cur.s[cur.pos]) == 'p';
    if (h < 1 || h > 12) return std::nullopt;
    h = h % 12 + (pm ? 12 : 0);
    cur.pos += 2;
  }
  if (h > 23 || *minute > 59 || second > 59) return std::nullopt;
  return ((h * 3600.0 + *minute * 60.0 + second) * 1000.0 + ms) / kMsPerDay;
}

}  // namespace

std::optional<DateTime> ParseDateTime(const std::string& text, const LocaleFacts& facts) {
  Cursor cur{text};
  cur.SkipBlanks();
  if (cur.AtEnd()) return std::nullopt;
  const auto date = ParseDatePart(cur, facts);
  cur.SkipBlanks();
  std::optional<double> time;
  if (!cur.AtEnd()) {
    time = ParseTimePart(cur);
    if (!time) return std::nullopt;
    cur.SkipBlanks();
  }
  if (!cur.AtEnd() || (!date && !time)) return std::nullopt;
  const double d = date.value_or(0.0);
  const double t = time.value_or(0.0);
  return d >= 0 ? d + t : d - t;
}

}  // namespace vorlix::platform
