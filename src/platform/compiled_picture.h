#pragma once
// A date-time picture read once into the steps that print it, so that printing many values with
// one picture reads the picture once: the locale's separators and pictures ("ddddd", "t", "tt",
// "c") are resolved when it is read, and printing a value walks the steps.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_picture.h"
#include "platform/date_time.h"
#include "platform/locale_facts.h"

namespace vorlix::platform {

class CompiledPicture {
 public:
  CompiledPicture(std::string_view picture, const LocaleFacts& facts);

  // Whether this is `picture` as read with `facts`: the same picture, separators and locale
  // pictures (the marks before and after noon are taken at printing).
  bool Matches(std::string_view picture, const LocaleFacts& facts) const;

  // Appends the value's parts as the picture shows them.
  void AppendTo(std::string& out, const DateParts& parts, const LocaleFacts& facts) const;

 private:
  // How a step shows: the elements' ways with text and separators read in, and numbers
  // reduced to the field they show, so that printing takes no turn it need not take.
  enum class Shows : uint8_t { kText, kNumber, kName, kAmPm, kAP };
  // What is done to a number's field before it is shown.
  enum class Reduce : uint8_t { kNone, kInCentury, kTwelveHour };

  struct Step {
    Shows shows = Shows::kText;
    std::string text = {};                 // kText
    int DateParts::*field = nullptr;       // kNumber, kName
    Reduce reduce = Reduce::kNone;         // kNumber
    int digits = 0;                        // kNumber: at least this many
    NameLength name = NameLength::kShort;  // kName
    bool onlyWithTime = false;  // the time part of "c", shown only when the time is not zero
  };

  void Read(std::string_view picture, const LocaleFacts& facts, int depth, bool onlyWithTime);
  void AddText(std::string_view text, bool onlyWithTime);

  std::string picture_;
  LocaleFacts facts_;  // the facts the picture was read with
  std::vector<Step> steps_;
  size_t room_ = 0;       // the most that the steps print, the am/pm marks aside
  size_t amPmMarks_ = 0;  // the am/pm marks among them
};

}  // namespace vorlix::platform
