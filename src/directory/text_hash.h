#pragma once
// Hashing of std::string keys by their text, so that a map of them is searched with a
// std::string_view and no copy of the text is made for the look-up.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vorlix::directory {

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

// A map from texts that is searched with views.
template <typename Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

}  // namespace vorlix::directory
