#pragma once
// Texts as a workbook file holds them.

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlix::exporter::xlsx {

// The text as valid UTF-8: a byte that is not part of a valid UTF-8 sequence is read as a
// Windows-1252 character, as the .xls writer reads it, so nothing is dropped.
std::string ValidUtf8(std::string_view text);

// The text of a cell: valid UTF-8 in which a literal "_xHHHH_" is protected as "_x005F_xHHHH_",
// so that a spreadsheet does not read it as an escaped character, and the two characters
// XML cannot carry (U+FFFE, U+FFFF) and NUL, which would end the text for the library, are
// written in that escaped form. Other control characters are escaped by the library.
std::string StoredCellText(std::string_view text);

}  // namespace vorlix::exporter::xlsx
