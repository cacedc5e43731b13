#include "platform/compiled_picture.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace vorlix::platform {

namespace {

constexpr std::array<std::string_view, 12> kShortMonths = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed",
                                                        "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr size_t kLongestName = 9;     // "September", "Wednesday"
constexpr size_t kLongestNumber = 11;  // "-2147483648"

// Locale pictures are read at most this deep, so that "c" inside a locale picture ends.
constexpr int kMaxDepth = 2;

// Writes into room reserved in advance, so that no write checks for room of its own.
struct Writer {
  char* at;

  void Text(std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  }
  // The number in decimal, with zeros in front up to `width` characters (a minus sign counts).
  void Padded(int value, int width) {
    if (value >= 0 && value < 100 && width <= 2) {  // most fields: one or two digits
      if (value >= 10 || width == 2) *at++ = static_cast<char>('0' + value / 10);
      *at++ = static_cast<char>('0' + value % 10);
      return;
    }
    char digits[kLongestNumber + 1];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (int length = static_cast<int>(end - digits); length < width; ++length) *at++ = '0';
    Text(std::string_view(digits, static_cast<size_t>(end - digits)));
  }
};

// The field of DateParts that shows `part` (the year for the year in its century).
int DateParts::*FieldOf(DatePart part) {
  switch (part) {
    case DatePart::kYear:
    case DatePart::kYearInCentury:
      return &DateParts::year;
    case DatePart::kMonth:
      return &DateParts::month;
    case DatePart::kDay:
      return &DateParts::day;
    case DatePart::kWeekday:
      return &DateParts::dayOfWeek;
    case DatePart::kHour:
      return &DateParts::hour;
    case DatePart::kMinute:
      return &DateParts::minute;
    case DatePart::kSecond:
      return &DateParts::second;
    case DatePart::kMillisecond:
    case DatePart::kNone:
      break;
  }
  return &DateParts::millisecond;
}

// The name of the month, or of the weekday, that `value` numbers (from 1).
std::string_view NameOf(int DateParts::*field, int value, NameLength length) {
  const bool isLong = length == NameLength::kLong;
  if (field == &DateParts::month) return (isLong ? kLongMonths : kShortMonths)[value - 1];
  return (isLong ? kLongDays : kShortDays)[value - 1];
}

bool TimeIsZero(const DateParts& p) {
  return p.hour == 0 && p.minute == 0 && p.second == 0 && p.millisecond == 0;
}

}  // namespace

CompiledPicture::CompiledPicture(std::string_view picture, const LocaleFacts& facts)
    : picture_(picture), facts_(facts) {
  Read(picture, facts, 0, false);
}

bool CompiledPicture::Matches(std::string_view picture, const LocaleFacts& facts) const {
  return picture == picture_ && facts.dateSeparator == facts_.dateSeparator &&
         facts.timeSeparator == facts_.timeSeparator &&
         facts.shortDateFormat == facts_.shortDateFormat &&
         facts.longTimeFormat == facts_.longTimeFormat &&
         facts.shortTimeFormat == facts_.shortTimeFormat;
}

void CompiledPicture::AddText(std::string_view text, bool onlyWithTime) {
  if (!steps_.empty() && steps_.back().shows == Shows::kText &&
      steps_.back().onlyWithTime == onlyWithTime) {
    steps_.back().text += text;
  } else {
    steps_.push_back({.text = std::string(text), .onlyWithTime = onlyWithTime});
  }
  room_ += text.size();
}

void CompiledPicture::Read(std::string_view picture, const LocaleFacts& facts, int depth,
                           bool onlyWithTime) {
  if (depth > kMaxDepth) return;
  const bool twelveHour = PictureHasAmPm(picture);
  ForEachPictureElement(picture, [&](const PictureToken& token) {
    const PictureElementForm& form = FormOf(token.element);
    switch (form.shows) {
      case ElementShows::kText:
        AddText(token.text, onlyWithTime);
        break;
      case ElementShows::kSeparator:
        AddText(std::string_view(&(facts.*form.separator), 1), onlyWithTime);
        break;
      case ElementShows::kLocalePattern:
        Read(facts.*form.pattern, facts, depth + 1, onlyWithTime);
        break;
      case ElementShows::kDateAndTime:
        Read(facts.shortDateFormat, facts, depth + 1, onlyWithTime);
        AddText(" ", true);
        Read(facts.longTimeFormat, facts, depth + 1, true);
        break;
      case ElementShows::kAmPm:
        ++amPmMarks_;
        steps_.push_back({.shows = Shows::kAmPm, .onlyWithTime = onlyWithTime});
        break;
      case ElementShows::kAP:
        ++room_;  // "A" or "P"
        steps_.push_back({.shows = Shows::kAP, .onlyWithTime = onlyWithTime});
        break;
      case ElementShows::kNumber: {
        Reduce reduce = Reduce::kNone;
        if (form.part == DatePart::kYearInCentury) reduce = Reduce::kInCentury;
        if (form.part == DatePart::kHour && twelveHour) reduce = Reduce::kTwelveHour;
        room_ += std::max<size_t>(kLongestNumber, static_cast<size_t>(form.digits));
        steps_.push_back({.shows = Shows::kNumber,
                          .field = FieldOf(form.part),
                          .reduce = reduce,
                          .digits = form.digits,
                          .onlyWithTime = onlyWithTime});
        break;
      }
      case ElementShows::kName:
        room_ += kLongestName;
        steps_.push_back({.shows = Shows::kName,
                          .field = FieldOf(form.part),
                          .name = form.name,
                          .onlyWithTime = onlyWithTime});
        break;
    }
  });
}

void CompiledPicture::AppendTo(std::string& out, const DateParts& p,
                               const LocaleFacts& facts) const {
  const size_t start = out.size();
  const size_t marks = std::max(facts.timeAmString.size(), facts.timePmString.size());
  out.resize(start + room_ + amPmMarks_ * marks);
  Writer writer{out.data() + start};
  const bool timeShown = !TimeIsZero(p);
  for (const Step& step : steps_) {
    if (step.onlyWithTime && !timeShown) continue;
    if (step.shows == Shows::kText) {
      writer.Text(step.text);
    } else if (step.shows == Shows::kNumber) {
      int value = p.*step.field;
      if (step.reduce == Reduce::kInCentury) value %= 100;
      if (step.reduce == Reduce::kTwelveHour) value = value % 12 == 0 ? 12 : value % 12;
      writer.Padded(value, step.digits);
    } else if (step.shows == Shows::kName) {
      writer.Text(NameOf(step.field, p.*step.field, step.name));
    } else {
      const bool morning = p.hour < 12;
      if (step.shows == Shows::kAmPm) {
        writer.Text(morning ? facts.timeAmString : facts.timePmString);
      } else {
        writer.Text(morning ? "A" : "P");
      }
    }
  }
  out.resize(static_cast<size_t>(writer.at - out.data()));
}

}  // namespace vorlix::platform
