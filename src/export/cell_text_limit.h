#pragma once
// The longest text a spreadsheet cell holds, one rule for the .xls and the .xlsx writers:
// 32,767 characters, counted as the spreadsheet counts them (UTF-16 code units; a byte that is
// not UTF-8 is one Windows-1252 character).

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlix::exporter {

inline constexpr size_t kMaxCellCharacters = 32767;

// The characters of a text as the spreadsheet counts them.
size_t CellCharacterCount(std::string_view text);

// Raises EMorvatError "Row <row>, column "<column>": the text has N characters, more than the
// 32767 a cell can hold" when the text is too long; `row` counts from 1 as the sheet shows it.
void CheckCellText(int row, const std::string& column, std::string_view text);

}  // namespace vorlix::exporter
