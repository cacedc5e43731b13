#pragma once
// ASCII case folding and trimming of single-byte text. The ASCII fold is the rule where a format
// defines case by ASCII alone (LDAP attribute and class names, configuration keys, date
// pictures): the letters A to Z fold to a to z, and every other byte (UTF-8 sequences included)
// stays as it is. Names and values that users type or a directory holds compare with the Unicode
// fold of case_fold.h.

#include <string>
#include <string_view>

namespace vorlix::platform {

// The byte c with A to Z folded to a to z.
constexpr char LowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The text with each byte folded by LowerCase(char): a key under which texts that
// CompareNoCase finds equal are equal.
std::string LowerCase(std::string_view text);

// Three-way comparison of the texts folded by LowerCase, byte by byte as unsigned values; a
// text that is a prefix of the other comes first.
int CompareNoCase(std::string_view a, std::string_view b);
// CompareNoCase(a, b) == 0.
bool EqualNoCase(std::string_view a, std::string_view b);

// The text without leading and trailing blanks and control characters (every byte up to 0x20).
std::string TrimControls(std::string_view text);
// The same, trimming text where it lies.
void TrimControlsInPlace(std::string& text);

}  // namespace vorlix::platform
