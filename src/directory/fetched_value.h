#pragma once
// A value as dsNextValue hands it out: one alternative per layout, each field named after what it
// holds. The syntax a value was read with chooses the alternative (client_codes.h numbers them).

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vorlix::directory {

// Syntaxes 1-5, 10, 11 (the number as written) and 20.
struct TextValue {
  std::string text;
};

// Syntaxes 7 (0 for false, 1 for true), 8, 22, 24 (seconds since 1970-01-01 00:00 UTC) and 27.
struct WordValue {
  int32_t word = 0;
};

// Syntaxes 0, 9, 13, 18, 19 and 21: the raw bytes.
struct BytesValue {
  std::string bytes;
};

// Syntax 12.
struct NetAddressValue {
  int32_t addressType = 0;
  std::string address;  // the address bytes
};

// Syntax 14.
struct EmailAddressValue {
  int32_t addressType = 0;
  std::string address;
};

// Syntax 15.
struct PathValue {
  int32_t nameSpace = 0;
  std::string volume;
  std::string path;
};

// Syntax 6: the element texts in chain order.
struct ListValue {
  std::vector<std::string> items;
};

// Syntax 16.
struct ReplicaPointerValue {
  std::string serverName;
  std::array<int32_t, 7> words{};  // the first is always 0
};

// Syntax 17.
struct AclValue {
  std::string protectedAttribute;
  std::string subject;  // an object name
  int32_t privileges = 0;
};

// Syntax 23.
struct BackLinkValue {
  int32_t remoteNumber = 0;
  std::string objectName;
};

// Syntax 25.
struct TypedNameValue {
  std::string objectName;
  int32_t level = 0;
  int32_t interval = 0;
};

// Syntax 26.
struct HoldValue {
  std::string objectName;
  int32_t amount = 0;
};

// No value yet, or one of a syntax without a layout.
using NoValue = std::monostate;

using FetchedValue = std::variant<NoValue, TextValue, WordValue, BytesValue, NetAddressValue,
                                  EmailAddressValue, PathValue, ListValue, ReplicaPointerValue,
                                  AclValue, BackLinkValue, TypedNameValue, HoldValue>;

// The value as the alternative T; an empty T when it holds another (a reply whose syntax is not
// the one it was read with), so that a confused client gives an empty value, never a crash.
template <typename T>
const T& ValueAs(const FetchedValue& value) {
  static const T kEmpty{};
  const T* held = std::get_if<T>(&value);
  return held != nullptr ? *held : kEmpty;
}

}  // namespace vorlix::directory
