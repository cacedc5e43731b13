#pragma once
// What a sheet may hold: the format's rows and columns, and the checks that refuse a sheet
// before anything is written, so that a run never stops halfway for a reason known in advance.

#include <optional>
#include <string>

#include "export/xls/xls_sheet.h"

namespace vorlix::exporter::xls {

// Rows and columns a sheet of the format holds.
constexpr int kMaxRows = 65536;
constexpr int kMaxCols = 256;

// Checks what a sheet would write beyond the format's limits, before anything is written:
// the title (1 to 31 characters, none of : \ / ? * [ ], no leading or trailing apostrophe),
// page header and footer (at most 255 characters), explicit cells, merged ranges and
// hyperlinks inside the sheet. Raises EMorvatError naming the sheet and the fault.
void ValidateSheetSettings(const TxlsSheet& sheet);

// Raises the sheet's column or row limit error before anything is written when what is known
// of its size does not fit: its filled columns from StartDataCol on; the header lines, the
// caption row, `records` data rows (nullopt: not known before the run), the aggregate row of
// the aggregates that name a column, and the footer lines.
void CheckSheetSize(const TxlsSheet& sheet, std::optional<int> records);

// Raises the column limit error when the sheet's filled columns do not fit from StartDataCol on.
void CheckSheetColumns(const TxlsSheet& sheet);

// Raises the row or column limit error of the sheet titled `title` when the 0-based cell
// (row, col) lies outside the sheet.
void CheckCellInSheet(const std::string& title, int row, int col);

}  // namespace vorlix::exporter::xls
