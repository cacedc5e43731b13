#pragma once
// Case in every script: the one rule by which names and search values compare without regard to
// case, as directory servers match them. Full Unicode case folding (ICU, the default folding):
// "Ärzte" and "ärzte", "Équipe" and "équipe", "STRASSE" and "straße" fold alike. A byte that is
// not part of valid UTF-8 is kept as it is. ASCII text takes a short path with the same result.
//
// The ASCII-only fold of plain_text.h stays where a format defines case by ASCII alone: LDAP
// attribute and class names, configuration keys, date pictures.

#include <string>
#include <string_view>

namespace vorlix::platform {

// The text case-folded: the key under which texts that EqualFolded finds equal are equal.
std::string FoldCase(std::string_view text);
// Appends FoldCase(text) to `out`.
void AppendFoldCase(std::string& out, std::string_view text);

// FoldCase(a) == FoldCase(b).
bool EqualFolded(std::string_view a, std::string_view b);

}  // namespace vorlix::platform
