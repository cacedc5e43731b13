#include "platform/date_picture.h"

#include <algorithm>

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
