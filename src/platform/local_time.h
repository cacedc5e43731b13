#pragma once
// Local time of the running system, through the C library's zone rules.

#include <cstdint>
#include <string>

#include "platform/date_time.h"

namespace vorlix::platform {

// The local date and time of a moment given as seconds since 1970-01-01 00:00 UTC, with the
// zone's offset in force on that moment's own date (so a summer stamp read in winter is right).
DateTime LocalDateTimeFromUnix(int64_t seconds);

// The local date and time now.
DateTime Now();

}  // namespace vorlix::platform
