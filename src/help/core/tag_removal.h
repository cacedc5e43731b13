#pragma once
// Removes the known tags from a hint text for copying it as plain text.

#include <string>
#include <vector>

namespace vorlix::help {

// The 83 tag names that copying removes, in the order they are tried: the empty name, every
// ordering of one to four different letters among B, I, U, S, the sixteen colour names,
// "DEFAULT" and "DEF".
const std::vector<std::u32string>& RemovableTagNames();

// Removes, pass after pass until a pass removes nothing, the first occurrence of each known tag
// (compared in upper case). Tags with other names stay in the text.
std::u32string RemoveTags(std::u32string text, char32_t tagOpen, char32_t tagClose);

}  // namespace vorlix::help
