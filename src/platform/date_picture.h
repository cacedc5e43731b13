#pragma once
// How a date-time picture (the syntax FormatDateTime in date_time.h takes) is read: one reading
// shared by printing a value with it and by rewriting it in another program's syntax.

#include <functional>
#include <string_view>

namespace vorlix::platform {

enum class PictureElement {
  kText,            // shown as it is: a quoted part, or any character that is no field
  kDateSeparator,   // "/": the locale's date separator
  kTimeSeparator,   // ":": the locale's time separator
  kAmPm,            // "am/pm"
  kAP,              // "a/p"
  kYear2,           // "y", "yy"
  kYear4,           // "yyy" or more
  kMonth,           // "m"
  kMonth2,          // "mm"
  kMonthShortName,  // "mmm"
  kMonthLongName,   // "mmmm"
  kDay,             // "d"
  kDay2,            // "dd"
  kDayShortName,    // "ddd"
  kDayLongName,     // "dddd"
  kShortDate,       // "ddddd": the locale's short date picture
  kHour,            // "h"
  kHour2,           // "hh"
  kMinute,          // "n", or "m" right after an hour
  kMinute2,         // "nn", or "mm" right after an hour
  kSecond,          // "s"
  kSecond2,         // "ss"
  kMillisecond,     // "z"
  kMillisecond3,    // "zzz"
  kShortTime,       // "t": the locale's short time picture
  kLongTime,        // "tt": the locale's long time picture
  kDateAndTime,     // "c": short date, and the long time when the time is not zero
};

struct PictureToken {
  PictureElement element;
  std::string_view text;  // kText only
};

// Calls `visit` with each element of the picture, in order. Letters are read case-insensitively;
// a run of one letter is read as the longest field it makes, the rest as the next field.
void ForEachPictureElement(std::string_view picture,
                           const std::function<void(const PictureToken&)>& visit);

// Whether the picture holds an am/pm mark, which turns hours into 12-hour form.
bool PictureHasAmPm(std::string_view picture);

}  // namespace vorlix::platform
