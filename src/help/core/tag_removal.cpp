#include "help/core/tag_removal.h"

#include "help/core/markup.h"

namespace vorlix::help {

namespace {

// Appends every ordering of `length` different letters of "BIUS" that starts with `prefix`.
void AddOrderings(std::u32string prefix, size_t length, std::vector<std::u32string>& names) {
  if (prefix.size() == length) {
    names.push_back(prefix);
    return;
  }
  for (char32_t letter : std::u32string_view(U"BIUS")) {
    if (prefix.find(letter) == std::u32string::npos) AddOrderings(prefix + letter, length, names);
  }
}

std::vector<std::u32string> BuildNames() {
  std::vector<std::u32string> names{U""};
  for (size_t length = 1; length <= 4; ++length) AddOrderings(U"", length, names);
  for (const ColourName& colour : kColourNames) names.emplace_back(colour.name);
  names.emplace_back(U"DEFAULT");
  names.emplace_back(U"DEF");
  return names;
}

}  // namespace

const std::vector<std::u32string>& RemovableTagNames() {
  static const std::vector<std::u32string> names = BuildNames();
  return names;
}

std::u32string RemoveTags(std::u32string text, char32_t tagOpen, char32_t tagClose) {
  std::u32string upper = AsciiUpper(text);
  bool removed = true;
  while (removed) {
    removed = false;
    for (const std::u32string& name : RemovableTagNames()) {
      const std::u32string tag = tagOpen + name + tagClose;
      const size_t at = upper.find(tag);
      if (at == std::u32string::npos) continue;
      text.erase(at, tag.size());
      upper.erase(at, tag.size());
      removed = true;
    }
  }
  return text;
}

}  // namespace vorlix::help
