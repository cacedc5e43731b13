#include "platform/local_time.h"

#include <sys/time.h>

#include <ctime>

namespace vorlix::platform {

DateTime LocalDateTimeFromUnix(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  // localtime_r applies the zone rules in force on that moment, daylight saving included.
  if (localtime_r(&t, &tm) == nullptr) return DateTimeFromUnixUtc(seconds);
  const auto value = EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                                    tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec);
  return value ? *value : DateTimeFromUnixUtc(seconds);
}

DateTime Now() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  const DateTime base = LocalDateTimeFromUnix(tv.tv_sec);
  return base + (tv.tv_usec / 1000) / 86'400'000.0;
}

}  // namespace vorlix::platform
