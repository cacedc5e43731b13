#pragma once
// How a date-time picture (the syntax FormatDateTime in date_time.h takes) is read: one reading
// shared by printing a value with it and by rewriting it in another program's syntax.

#include <functional>
#include <string>
#include <string_view>

#include "platform/locale_facts.h"

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

// How an element is shown; a printer and a translator to another syntax each handle these few
// ways instead of every element.
enum class ElementShows {
  kText,           // the token's text as it is
  kSeparator,      // the locale's separator named by `separator`
  kAmPm,           // the locale's mark before or after noon
  kAP,             // "A" or "P"
  kNumber,         // a part of the date as a number, with zeros in front up to `digits`
  kName,           // the English name of the month or weekday, short or long
  kLocalePattern,  // the locale's picture named by `pattern`, read in turn
  kDateAndTime,    // the short date, then a blank and the long time unless the time is zero
};

// The part of a date-time that a number or a name shows.
enum class DatePart {
  kNone,
  kYear,
  kYearInCentury,  // the year's last two digits
  kMonth,
  kDay,
  kWeekday,
  kHour,  // in 12-hour form when the picture holds an am/pm mark
  kMinute,
  kSecond,
  kMillisecond,
};

enum class NameLength { kShort, kLong };

// One row of the element table: everything about an element that its readers need.
struct PictureElementForm {
  PictureElement element;
  ElementShows shows;
  DatePart part = DatePart::kNone;              // kNumber, kName
  int digits = 0;                               // kNumber: at least this many (0: as needed)
  NameLength name = NameLength::kShort;         // kName
  char LocaleFacts::*separator = nullptr;       // kSeparator
  std::string LocaleFacts::*pattern = nullptr;  // kLocalePattern
  std::string_view formatCode = {};  // kAmPm, kAP, kNumber, kName: the code of a spreadsheet's
                                     // number format that shows the same ("yyyy", "AM/PM", "000")
};

// The table's row of an element.
const PictureElementForm& FormOf(PictureElement element);

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
