#pragma once
// Case folding and trimming of single-byte text, as names, keys and values are compared and
// shown throughout the program.

#include <string>
#include <string_view>

namespace vorlix::platform {

// The text with every byte passed through the C library's tolower.
std::string LowerCase(std::string_view text);

// Three-way comparison with the letters A to Z read as a to z and every other byte compared as
// an unsigned value; a text that is a prefix of the other comes first.
int CompareNoCase(std::string_view a, std::string_view b);

// The text without leading and trailing blanks and control characters (every byte up to 0x20).
std::string TrimControls(std::string_view text);

}  // namespace vorlix::platform
