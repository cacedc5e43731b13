#include "directory/value_conversion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <variant>
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

// "word#part#...": the word the text begins with and the text split into `count` parts at "#";
// nullopt when there are fewer parts or the first is no word.
struct WordAndParts {
  int32_t word = 0;
  std::vector<std::string> parts;
};
std::optional<WordAndParts> SplitWordAndParts(std::string_view text, size_t count) {
  auto parts = Split(text, '#', count);
  auto word = Word(parts[0]);
  if (!word || parts.size() < count) return std::nullopt;
  return WordAndParts{*word, std::move(parts)};
}

// The fields that a value of a structured syntax has in a reply: two texts, a list and seven
// words, whichever the syntax uses.
struct LaidFields {
  std::string text;
  std::string text2;
  std::vector<std::string> items;
  std::array<int32_t, 7> word{};
};

LaidFields FieldsOf(const FetchedValue& value) {
  LaidFields f;
  std::visit(
      [&f](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, NetAddressValue>) {
          f.word[0] = v.addressType;
          f.word[1] = static_cast<int32_t>(v.address.size());
          f.text = v.address;
        } else if constexpr (std::is_same_v<T, EmailAddressValue>) {
          f.word[0] = v.addressType;
          f.text = v.address;
        } else if constexpr (std::is_same_v<T, PathValue>) {
          f.word[0] = v.nameSpace;
          f.text = v.volume;
          f.text2 = v.path;
        } else if constexpr (std::is_same_v<T, ListValue>) {
          f.items = v.items;
        } else if constexpr (std::is_same_v<T, ReplicaPointerValue>) {
          f.text = v.serverName;
          f.word = v.words;
        } else if constexpr (std::is_same_v<T, AclValue>) {
          f.text = v.protectedAttribute;
          f.text2 = v.subject;
          f.word[0] = v.privileges;
        } else if constexpr (std::is_same_v<T, BackLinkValue>) {
          f.word[0] = v.remoteNumber;
          f.text = v.objectName;
        } else if constexpr (std::is_same_v<T, TypedNameValue>) {
          f.text = v.objectName;
          f.word[0] = v.level;
          f.word[1] = v.interval;
        } else if constexpr (std::is_same_v<T, HoldValue>) {
          f.text = v.objectName;
          f.word[0] = v.amount;
        }
      },
      value);
  return f;
}

FetchedValue ValueOf(int32_t syntax, LaidFields f) {
  switch (syntax) {
    case SYN_NET_ADDRESS:
      // The address is as long as the reply says, and no longer than its bytes.
      f.text.resize(std::min(f.text.size(), static_cast<size_t>(static_cast<uint32_t>(f.word[1]))));
      return NetAddressValue{f.word[0], std::move(f.text)};
    case SYN_EMAIL_ADDRESS:
      return EmailAddressValue{f.word[0], std::move(f.text)};
    case SYN_PATH:
      return PathValue{f.word[0], std::move(f.text), std::move(f.text2)};
    case SYN_CI_LIST:
      return ListValue{std::move(f.items)};
    case SYN_REPLICA_POINTER:
      return ReplicaPointerValue{std::move(f.text), f.word};
    case SYN_OBJECT_ACL:
      return AclValue{std::move(f.text), std::move(f.text2), f.word[0]};
    case SYN_BACK_LINK:
      return BackLinkValue{f.word[0], std::move(f.text)};
    case SYN_TYPED_NAME:
      return TypedNameValue{std::move(f.text), f.word[0], f.word[1]};
    case SYN_HOLD:
      return HoldValue{std::move(f.text), f.word[0]};
    default:
      return NoValue{};
  }
}

// How the fields of a structured value lie in a reply, for writing and reading alike
// (byte_layout.h).
template <typename Io, typename Fields>
bool LayFields(Io& io, Fields& f) {
  if (!io.Text32(f.text) || !io.Text32(f.text2) || !io.List32(f.items)) return false;
  for (auto& word : f.word) {
    if (!io.U32(word)) return false;
  }
  return true;
}

// The bytes of a text, byte or word value as a reply holds them.
const std::string& TextOf(const FetchedValue& value) {
  if (const auto* bytes = std::get_if<BytesValue>(&value)) return bytes->bytes;
  return ValueAs<TextValue>(value).text;
}

}  // namespace

std::string WrittenNameSpelling(std::string_view dn, NameForm form) {
  auto components = ParseLdapDn(dn, nullptr);
  if (!components || components->empty()) return std::string(dn);  // not a name: as written
  return DottedName(*components, form);
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

namespace {

// One conversion per syntax: the value a text of the tree file or of a server holds, nullopt when
// it does not fit.
using Converted = std::optional<FetchedValue>;

Converted ConvertBoolean(std::string_view text) {
  const std::string word(text);
  if (platform::EqualNoCase(word, "TRUE") || text == "1") return WordValue{1};
  if (platform::EqualNoCase(word, "FALSE") || text == "0") return WordValue{0};
  return std::nullopt;
}

Converted ConvertNumber(std::string_view text) {
  const auto n = ParseNumber<int32_t>(text);
  if (!n) return std::nullopt;
  return WordValue{*n};
}

Converted ConvertTime(std::string_view text) {
  const auto seconds = ParseGeneralizedTime(text);
  if (!seconds || *seconds < std::numeric_limits<int32_t>::min() ||
      *seconds > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;  // outside what one signed word holds
  }
  return WordValue{static_cast<int32_t>(*seconds)};
}

Converted ConvertNetAddress(std::string_view text) {
  auto split = SplitWordAndParts(text, 2);
  if (!split) return std::nullopt;
  return NetAddressValue{split->word, std::move(split->parts[1])};
}

Converted ConvertEmailAddress(std::string_view text) {
  auto split = SplitWordAndParts(text, 2);
  if (!split) return std::nullopt;
  return EmailAddressValue{split->word, std::move(split->parts[1])};
}

Converted ConvertPath(std::string_view text) {
  auto split = SplitWordAndParts(text, 3);
  if (!split) return std::nullopt;
  return PathValue{split->word, std::move(split->parts[1]), std::move(split->parts[2])};
}

Converted ConvertList(std::string_view text) {
  return ListValue{Split(text, '$', std::numeric_limits<size_t>::max())};
}

Converted ConvertReplicaPointer(std::string_view text) {
  auto parts = Split(text, '#', 7);
  ReplicaPointerValue value{std::move(parts[0]), {}};
  for (size_t i = 1; i < parts.size(); ++i) {
    const auto w = Word(parts[i]);
    if (!w) return std::nullopt;
    value.words[i] = *w;
  }
  return value;
}

Converted ConvertAcl(std::string_view text, NameForm form, const NameSpelling& spell) {
  auto parts = Split(text, '#', 3);
  if (parts.size() < 3) return std::nullopt;
  const auto privileges = Word(parts[2]);
  if (!privileges) return std::nullopt;
  return AclValue{std::move(parts[0]), spell(parts[1], form), *privileges};
}

Converted ConvertBackLink(std::string_view text, NameForm form, const NameSpelling& spell) {
  auto split = SplitWordAndParts(text, 2);
  if (!split) return std::nullopt;
  return BackLinkValue{split->word, spell(split->parts[1], form)};
}

// "name#word#...": the name comes first and may itself hold "#"; the last `count` parts are
// words. The name as spelled and the words; nullopt when a word is missing or no word.
std::optional<std::pair<std::string, std::vector<int32_t>>> NameAndWords(std::string_view text,
                                                                         size_t count) {
  std::vector<int32_t> words(count);
  for (size_t i = count; i > 0; --i) {
    const size_t at = text.rfind('#');
    if (at == std::string_view::npos) return std::nullopt;
    const auto w = Word(text.substr(at + 1));
    if (!w) return std::nullopt;
    words[i - 1] = *w;
    text = text.substr(0, at);
  }
  return std::make_pair(std::string(text), std::move(words));
}

Converted ConvertTypedName(std::string_view text, NameForm form, const NameSpelling& spell) {
  const auto split = NameAndWords(text, 2);
  if (!split) return std::nullopt;
  return TypedNameValue{spell(split->first, form), split->second[0], split->second[1]};
}

Converted ConvertHold(std::string_view text, NameForm form, const NameSpelling& spell) {
  const auto split = NameAndWords(text, 1);
  if (!split) return std::nullopt;
  return HoldValue{spell(split->first, form), split->second[0]};
}

}  // namespace

std::optional<FetchedValue> ConvertValue(int32_t syntax, std::string_view text, NameForm names,
                                         const NameSpelling& spell) {
  if (syntax == SYN_DIST_NAME) return TextValue{spell(text, names)};
  if (IsPlainText(syntax)) return TextValue{std::string(text)};
  if (IsBytes(syntax)) return BytesValue{std::string(text)};
  switch (syntax) {
    case SYN_BOOLEAN:
      return ConvertBoolean(text);
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
      return ConvertNumber(text);
    case SYN_TIME:
      return ConvertTime(text);
    case SYN_NET_ADDRESS:
      return ConvertNetAddress(text);
    case SYN_EMAIL_ADDRESS:
      return ConvertEmailAddress(text);
    case SYN_PATH:
      return ConvertPath(text);
    case SYN_CI_LIST:
      return ConvertList(text);
    case SYN_REPLICA_POINTER:
      return ConvertReplicaPointer(text);
    case SYN_OBJECT_ACL:
      return ConvertAcl(text, names, spell);
    case SYN_BACK_LINK:
      return ConvertBackLink(text, names, spell);
    case SYN_TYPED_NAME:
      return ConvertTypedName(text, names, spell);
    case SYN_HOLD:
      return ConvertHold(text, names, spell);
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

namespace {

// How a value lies in a reply, run as a layout (byte_layout.h) by writing and counting alike.
template <typename Io>
void LayValueOf(Io& io, int32_t syntax, const FetchedValue& value) {
  if (IsPlainText(syntax) || IsBytes(syntax)) {
    io.Text32(TextOf(value));
  } else if (IsWord(syntax)) {
    io.U32(ValueAs<WordValue>(value).word);
  } else {
    const LaidFields fields = FieldsOf(value);
    LayFields(io, fields);
  }
}

// Whether value has the layout that a reply gives back for syntax.
bool HasReplyLayout(int32_t syntax, const FetchedValue& value) {
  if (IsPlainText(syntax)) return std::holds_alternative<TextValue>(value);
  if (IsBytes(syntax)) return std::holds_alternative<BytesValue>(value);
  if (IsWord(syntax)) return std::holds_alternative<WordValue>(value);
  return value.index() == ValueOf(syntax, LaidFields{}).index();
}

}  // namespace

std::string EncodeValue(int32_t syntax, const FetchedValue& value) {
  std::string out;
  LayoutWriter writer(out);
  LayValueOf(writer, syntax, value);
  return out;
}

size_t EncodedSize(int32_t syntax, const FetchedValue& value) {
  return LaidSize([&](auto& io) {
    LayValueOf(io, syntax, value);
    return true;
  });
}

void AsReplyGives(int32_t syntax, FetchedValue& value) {
  if (HasReplyLayout(syntax, value)) return;
  const std::string encoded = EncodeValue(syntax, value);
  DecodeValue(syntax, encoded, value);
}

bool DecodeValue(int32_t syntax, std::string_view in, FetchedValue& value) {
  value = NoValue{};
  LayoutReader reader(in);
  if (IsPlainText(syntax) || IsBytes(syntax)) {
    std::string text;
    if (!reader.Text32(text)) return false;
    if (IsBytes(syntax)) {
      value = BytesValue{std::move(text)};
    } else {
      value = TextValue{std::move(text)};
    }
    return true;
  }
  if (IsWord(syntax)) {
    int32_t word = 0;
    if (!reader.U32(word)) return false;
    value = WordValue{word};
    return true;
  }
  LaidFields fields;
  if (!LayFields(reader, fields)) return false;
  value = ValueOf(syntax, std::move(fields));
  return true;
}

int32_t FetchedSize(int32_t syntax, const FetchedValue& value) {
  if (IsPlainText(syntax)) return static_cast<int32_t>(TextOf(value).size() + 1);
  if (IsBytes(syntax)) return static_cast<int32_t>(TextOf(value).size() + 8);
  if (IsWord(syntax)) return 4;
  const LaidFields fields = FieldsOf(value);
  return static_cast<int32_t>(LaidSize([&](auto& io) { return LayFields(io, fields); }));
}

}  // namespace vorlix::directory
