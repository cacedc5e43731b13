#include "platform/date_picture.h"

#include <algorithm>
#include <iterator>

#include "platform/plain_text.h"

namespace vorlix::platform {

namespace {

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view word) {
  if (pos + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (LowerCase(s[pos + i]) != word[i]) return false;
  return true;
}

size_t RunLength(std::string_view s, size_t pos) {
  size_t n = 0;
  while (pos + n < s.size() && LowerCase(s[pos + n]) == LowerCase(s[pos])) ++n;
  return n;
}

using E = PictureElement;
using S = ElementShows;
using P = DatePart;

constexpr PictureElementForm kForms[] = {
    {.element = E::kText, .shows = S::kText},
    {.element = E::kDateSeparator,
     .shows = S::kSeparator,
     .separator = &LocaleFacts::dateSeparator},
    {.element = E::kTimeSeparator,
     .shows = S::kSeparator,
     .separator = &LocaleFacts::timeSeparator},
    {.element = E::kAmPm, .shows = S::kAmPm, .formatCode = "AM/PM"},
    {.element = E::kAP, .shows = S::kAP, .formatCode = "A/P"},
    {.element = E::kYear2,
     .shows = S::kNumber,
     .part = P::kYearInCentury,
     .digits = 2,
     .formatCode = "yy"},
    {.element = E::kYear4,
     .shows = S::kNumber,
     .part = P::kYear,
     .digits = 4,
     .formatCode = "yyyy"},
    {.element = E::kMonth, .shows = S::kNumber, .part = P::kMonth, .formatCode = "m"},
    {.element = E::kMonth2,
     .shows = S::kNumber,
     .part = P::kMonth,
     .digits = 2,
     .formatCode = "mm"},
    {.element = E::kMonthShortName, .shows = S::kName, .part = P::kMonth, .formatCode = "mmm"},
    {.element = E::kMonthLongName,
     .shows = S::kName,
     .part = P::kMonth,
     .name = NameLength::kLong,
     .formatCode = "mmmm"},
    {.element = E::kDay, .shows = S::kNumber, .part = P::kDay, .formatCode = "d"},
    {.element = E::kDay2, .shows = S::kNumber, .part = P::kDay, .digits = 2, .formatCode = "dd"},
    {.element = E::kDayShortName, .shows = S::kName, .part = P::kWeekday, .formatCode = "ddd"},
    {.element = E::kDayLongName,
     .shows = S::kName,
     .part = P::kWeekday,
     .name = NameLength::kLong,
     .formatCode = "dddd"},
    {.element = E::kShortDate,
     .shows = S::kLocalePattern,
     .pattern = &LocaleFacts::shortDateFormat},
    {.element = E::kHour, .shows = S::kNumber, .part = P::kHour, .formatCode = "h"},
    {.element = E::kHour2, .shows = S::kNumber, .part = P::kHour, .digits = 2, .formatCode = "hh"},
    // Minutes are "m" and "mm" in a number format, which reads them so after an hour.
    {.element = E::kMinute, .shows = S::kNumber, .part = P::kMinute, .formatCode = "m"},
    {.element = E::kMinute2,
     .shows = S::kNumber,
     .part = P::kMinute,
     .digits = 2,
     .formatCode = "mm"},
    {.element = E::kSecond, .shows = S::kNumber, .part = P::kSecond, .formatCode = "s"},
    {.element = E::kSecond2,
     .shows = S::kNumber,
     .part = P::kSecond,
     .digits = 2,
     .formatCode = "ss"},
    // A number format shows fractions of a second as digits after the seconds.
    {.element = E::kMillisecond, .shows = S::kNumber, .part = P::kMillisecond, .formatCode = "0"},
    {.element = E::kMillisecond3,
     .shows = S::kNumber,
     .part = P::kMillisecond,
     .digits = 3,
     .formatCode = "000"},
    {.element = E::kShortTime,
     .shows = S::kLocalePattern,
     .pattern = &LocaleFacts::shortTimeFormat},
    {.element = E::kLongTime, .shows = S::kLocalePattern, .pattern = &LocaleFacts::longTimeFormat},
    {.element = E::kDateAndTime, .shows = S::kDateAndTime},
};

// Each row sits at its element's position, so that FormOf is an index.
constexpr bool RowsInElementOrder() {
  for (size_t i = 0; i < std::size(kForms); ++i)
    if (static_cast<size_t>(kForms[i].element) != i) return false;
  return std::size(kForms) == static_cast<size_t>(E::kDateAndTime) + 1;
}
static_assert(RowsInElementOrder(), "one row per picture element, in the enumeration's order");

// The field of a letter run at the start of the picture's rest: its element (nullopt-like
// kText for a character that is no field), how many characters it takes, and whether it is an
// hour (after which "m" means minutes).
struct Field {
  E element;
  size_t length;
  bool emits = true;  // a run of six or more "d" takes five characters and shows nothing
};

Field ReadField(std::string_view picture, size_t i, bool afterHour) {
  const size_t run = RunLength(picture, i);
  switch (LowerCase(picture[i])) {
    case 'y':
      return {run <= 2 ? E::kYear2 : E::kYear4, run};
    case 'm': {
      const size_t length = std::min<size_t>(run, 4);
      if (afterHour && run <= 2) return {run == 1 ? E::kMinute : E::kMinute2, length};
      const E months[] = {E::kMonth, E::kMonth2, E::kMonthShortName, E::kMonthLongName};
      return {months[length - 1], length};
    }
    case 'd': {
      const E days[] = {E::kDay, E::kDay2, E::kDayShortName, E::kDayLongName, E::kShortDate};
      const size_t length = std::min<size_t>(run, 5);
      return {days[length - 1], length, run <= 5};
    }
    case 'h':
      return {run == 1 ? E::kHour : E::kHour2, std::min<size_t>(run, 2)};
    case 'n':
      return {run == 1 ? E::kMinute : E::kMinute2, std::min<size_t>(run, 2)};
    case 's':
      return {run == 1 ? E::kSecond : E::kSecond2, std::min<size_t>(run, 2)};
    case 'z':
      return run >= 3 ? Field{E::kMillisecond3, 3} : Field{E::kMillisecond, 1};
    case 't':
      return {run >= 2 ? E::kLongTime : E::kShortTime, std::min<size_t>(run, 2)};
    case 'c':
      return {E::kDateAndTime, 1};
  }
  return {E::kText, 1};
}

}  // namespace

const PictureElementForm& FormOf(PictureElement element) {
  return kForms[static_cast<size_t>(element)];
}

void ForEachPictureElement(std::string_view picture,
                           const std::function<void(const PictureToken&)>& visit) {
  bool afterHour = false;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '"' || c == '\'') {
      const size_t close = picture.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? picture.size() : close;
      visit({E::kText, picture.substr(i + 1, end - i - 1)});
      i = end == picture.size() ? end : end + 1;
    } else if (c == '/' || c == ':') {
      visit({c == '/' ? E::kDateSeparator : E::kTimeSeparator, {}});
      ++i;
    } else if (StartsWithNoCase(picture, i, "am/pm")) {
      visit({E::kAmPm, {}});
      i += 5;
    } else if (StartsWithNoCase(picture, i, "a/p")) {
      visit({E::kAP, {}});
      i += 3;
    } else {
      const Field field = ReadField(picture, i, afterHour);
      if (field.element == E::kText) {
        // Any other character is shown and leaves "after an hour" as it was.
        visit({E::kText, picture.substr(i, 1)});
      } else {
        if (field.emits) visit({field.element, {}});
        afterHour = field.element == E::kHour || field.element == E::kHour2;
      }
      i += field.length;
    }
  }
}

bool PictureHasAmPm(std::string_view picture) {
  for (size_t i = 0; i < picture.size(); ++i)
    if (StartsWithNoCase(picture, i, "am/pm") || StartsWithNoCase(picture, i, "a/p")) return true;
  return false;
}

}  // namespace vorlix::platform
