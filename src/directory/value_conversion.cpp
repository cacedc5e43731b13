#include "directory/value_conversion.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

#include "directory/byte_layout.h"
#include "directory/dotted_name.h"
#include "platform/date_time.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

namespace {

bool IsPlainText(int32_t syntax) {
  return (syntax >= SYN_DIST_NAME && syntax <= SYN_NU_STRING) || syntax == SYN_TEL_NUMBER ||
         syntax == SYN_FAX_NUMBER || syntax == SYN_CLASS_NAME;
}

bool IsBytes(int32_t syntax) {
  return syntax == SYN_UNKNOWN || syntax == SYN_OCTET_STRING || syntax == SYN_OCTET_LIST ||
         syntax == SYN_PO_ADDRESS || syntax == SYN_TIMESTAMP || syntax == SYN_STREAM;
}

bool IsWord(int32_t syntax) {
  return syntax == SYN_BOOLEAN || syntax == SYN_INTEGER || syntax == SYN_COUNTER ||
         syntax == SYN_TIME || syntax == SYN_INTERVAL;
}

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  T value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<int32_t> Word(std::string_view text) {
  if (auto v = ParseNumber<int32_t>(text)) return v;
  // Unsigned words (privileges, levels) may be written above the signed range.
  if (auto u = ParseNumber<uint32_t>(text)) return static_cast<int32_t>(*u);
  return std::nullopt;
}

std::vector<std::string> Split(std::string_view text, char separator, size_t maxParts) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() + 1 < maxParts) {
    size_t at = text.find(separator, start);
    if (at == std::string_view::npos) break;
    parts.emplace_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

// "word#part#...": the text split into `count` parts at "#", the first a word that goes into
// value.word[0]; nullopt when there are fewer parts or the first is no word.
std::optional<std::vector<std::string>> WordAndParts(std::string_view text, size_t count,
                                                     FetchedValue& value) {
  auto parts = Split(text, '#', count);
  auto word = Word(parts[0]);
  if (!word || parts.size() < count) return std::nullopt;
  value.word[0] = *word;
  return parts;
}

// How a value of syntax lies in a reply, for writing and reading alike (byte_layout.h).
template <typename Io, typename Value>
bool LayValue(Io& io, int32_t syntax, Value& value) {
  if (IsPlainText(syntax) || IsBytes(syntax)) return io.Text32(value.text);
  if (IsWord(syntax)) return io.U32(value.word[0]);
  if (!io.Text32(value.text) || !io.Text32(value.text2) || !io.List32(value.items)) return false;
  for (auto& word : value.word) {
    if (!io.U32(word)) return false;
  }
  return true;
}

}  // namespace

std::string WrittenNameSpelling(std::string_view dn, bool typed) {
  auto components = ParseLdapDn(dn, nullptr);
  if (!components || components->empty()) return std::string(dn);  // not a name: as written
  return DottedName(*components, typed);
}

std::optional<int64_t> ParseGeneralizedTime(std::string_view text) {
  if (auto seconds = ParseNumber<int64_t>(text)) {
    if (text.size() < 12) return seconds;  // a plain count of seconds
  }
  auto digits = [&](size_t at, size_t n) -> std::optional<int> {
    if (at + n > text.size()) return std::nullopt;
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
      v = v * 10 + (text[i] - '0');
    }
    return v;
  };
  auto year = digits(0, 4), month = digits(4, 2), day = digits(6, 2), hour = digits(8, 2),
       minute = digits(10, 2);
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  size_t at = 12;
  int second = 0;
  if (auto s = digits(12, 2)) {
    second = *s;
    at = 14;
  }
  if (at < text.size() && (text[at] == '.' || text[at] == ',')) {  // fraction: ignored
    ++at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  }
  int offset = 0;
  if (at < text.size() && text[at] == 'Z') {
    ++at;
  } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    auto oh = digits(at + 1, 2);
    if (!oh) return std::nullopt;
    auto om = digits(at + 3, 2);
    offset = (*oh * 60 + (om ? *om : 0)) * 60 * (text[at] == '-' ? -1 : 1);
    at += om ? 5 : 3;
  }
  if (at != text.size()) return std::nullopt;
  // A day the month does not have (20240230) is refused, not carried into the next month.
  if (!platform::EncodeDateTime(*year, *month, *day) || *hour > 23 || *minute > 59 || second > 60) {
    return std::nullopt;
  }
  int64_t days = platform::DaysSinceUnixEpoch(*year, static_cast<unsigned>(*month),
                                              static_cast<unsigned>(*day));
  return days * 86400 + *hour * 3600 + *minute * 60 + second - offset;
}

std::optional<int64_t> ParseWindowsTime(std::string_view text) {
  // 100-nanosecond steps from 1601-01-01 to 1970-01-01, and per second.
  constexpr int64_t kStepsTo1970 = 116444736000000000;
  constexpr int64_t kStepsPerSecond = 10000000;
  const std::optional<int64_t> steps = ParseNumber<int64_t>(text);
  if (!steps || *steps < 0) return std::nullopt;
  if (*steps == 0 || *steps == std::numeric_limits<int64_t>::max()) return 0;
  // Floor division: a time before 1970 stays before it.
  const int64_t since1970 = *steps - kStepsTo1970;
  return since1970 / kStepsPerSecond - (since1970 % kStepsPerSecond < 0 ? 1 : 0);
}

std::optional<FetchedValue> ConvertValue(int32_t syntax, std::string_view text, bool typedNames,
                                         const NameSpelling& spell) {
  FetchedValue v;
  if (syntax == SYN_DIST_NAME) {
    v.text = spell(text, typedNames);
    return v;
  }
  if (IsPlainText(syntax)) {
    v.text = text;
    return v;
  }
  if (IsBytes(syntax)) {
    v.text = text;
    v.word[0] = static_cast<int32_t>(text.size());
    return v;
  }
  switch (syntax) {
    case SYN_BOOLEAN: {
      const std::string word(text);
      if (platform::EqualNoCase(word, "TRUE") || text == "1")
        v.word[0] = 1;
      else if (platform::EqualNoCase(word, "FALSE") || text == "0")
        v.word[0] = 0;
      else
        return std::nullopt;
      return v;
    }
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL: {
      auto n = ParseNumber<int32_t>(text);
      if (!n) return std::nullopt;
      v.word[0] = *n;
      return v;
    }
    case SYN_TIME: {
      auto seconds = ParseGeneralizedTime(text);
      if (!seconds || *seconds < std::numeric_limits<int32_t>::min() ||
          *seconds > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;  // outside what one signed word holds
      }
      v.word[0] = static_cast<int32_t>(*seconds);
      return v;
    }
    case SYN_NET_ADDRESS:
    case SYN_EMAIL_ADDRESS: {
      auto parts = WordAndParts(text, 2, v);
      if (!parts) return std::nullopt;
      v.text = (*parts)[1];
      if (syntax == SYN_NET_ADDRESS) v.word[1] = static_cast<int32_t>(v.text.size());
      return v;
    }
    case SYN_PATH: {
      auto parts = WordAndParts(text, 3, v);
      if (!parts) return std::nullopt;
      v.text = (*parts)[1];
      v.text2 = (*parts)[2];
      return v;
    }
    case SYN_CI_LIST:
      v.items = Split(text, '$', std::numeric_limits<size_t>::max());
      return v;
    case SYN_REPLICA_POINTER: {
      auto parts = Split(text, '#', 7);
      v.text = parts[0];
      for (size_t i = 1; i < parts.size(); ++i) {
        auto w = Word(parts[i]);
        if (!w) return std::nullopt;
        v.word[i] = *w;
      }
      return v;
    }
    case SYN_OBJECT_ACL: {
      auto parts = Split(text, '#', 3);
      if (parts.size() < 3) return std::nullopt;
      auto privileges = Word(parts[2]);
      if (!privileges) return std::nullopt;
      v.text = parts[0];
      v.text2 = spell(parts[1], typedNames);
      v.word[0] = *privileges;
      return v;
    }
    case SYN_BACK_LINK: {
      auto parts = WordAndParts(text, 2, v);
      if (!parts) return std::nullopt;
      v.text = spell((*parts)[1], typedNames);
      return v;
    }
    case SYN_TYPED_NAME:
    case SYN_HOLD: {
      // The name comes first and may itself hold "#"; the numbers are the last parts.
      const size_t numbers = syntax == SYN_TYPED_NAME ? 2 : 1;
      std::string rest(text);
      std::vector<int32_t> words;
      for (size_t i = 0; i < numbers; ++i) {
        size_t at = rest.rfind('#');
        if (at == std::string::npos) return std::nullopt;
        auto w = Word(rest.substr(at + 1));
        if (!w) return std::nullopt;
        words.insert(words.begin(), *w);
        rest.resize(at);
      }
      v.text = spell(rest, typedNames);
      for (size_t i = 0; i < words.size(); ++i) v.word[i] = words[i];
      return v;
    }
    default:
      return std::nullopt;
  }
}

std::string RefusalReason(int32_t syntax, std::string_view text) {
  switch (syntax) {
    case SYN_TIME:
      if (ParseGeneralizedTime(text)) {
        return "lies outside the time range of 32 bits (1901-12-13 20:45:52 to 2038-01-19 "
               "03:14:07 UTC)";
      }
      return "is not a valid time (a Generalized Time such as 20240115103000Z, or seconds since "
             "1970)";
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
      return "is not a whole number from -2147483648 to 2147483647";
    case SYN_BOOLEAN:
      return "is neither TRUE nor FALSE";
    default:
      return "does not have the layout of syntax " + std::to_string(syntax);
  }
}

std::string EncodeValue(int32_t syntax, const FetchedValue& value) {
  std::string out;
  LayoutWriter writer(out);
  LayValue(writer, syntax, value);
  return out;
}

bool DecodeValue(int32_t syntax, std::string_view in, FetchedValue& value) {
  value = FetchedValue{};
  LayoutReader reader(in);
  if (!LayValue(reader, syntax, value)) return false;
  if (IsBytes(syntax)) value.word[0] = static_cast<int32_t>(value.text.size());
  return true;
}

int32_t FetchedSize(int32_t syntax, const FetchedValue& value) {
  if (IsPlainText(syntax)) return static_cast<int32_t>(value.text.size() + 1);
  if (IsBytes(syntax)) return static_cast<int32_t>(value.text.size() + 8);
  if (IsWord(syntax)) return 4;
  return static_cast<int32_t>(LaidSize([&](auto& io) { return LayValue(io, syntax, value); }));
}

}  // namespace vorlix::directory
