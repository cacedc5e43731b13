#pragma once
// The records around a sheet's rows. The head: the sheet's entry in the sheet directory, BOF,
// the calculation and print settings, page header and footer, one COLINFO per column and the
// DIMENSIONS that the workbook fills in at the end. The tail: explicit cells, merged ranges,
// hyperlink labels, WINDOW2, SELECTION, the hyperlinks and EOF.

#include <cstdint>
#include <vector>

#include "export/xls/cell_records.h"
#include "export/xls/text_measure.h"
#include "export/xls/workbook_writer.h"
#include "export/xls/xls_sheet.h"

namespace vorlix::exporter::xls {

// Writes the head of the sheet with index `sheetIndex`; column widths are measured with
// `measure`. Returns the stream position of the first COLINFO record.
uint64_t WriteSheetHead(WorkbookWriter& book, const TxlsSheet& sheet, int sheetIndex,
                        const ITextMeasure& measure);

// Sets the widths, in characters, of the COLINFO records that the head wrote from
// `firstColInfo` on, one per column; the stream's position stays where it was.
void RewriteColumnWidths(XlsStream& stream, uint64_t firstColInfo, const std::vector<int>& widths);

// Writes the tail of the sheet, its cells through `cells`.
void WriteSheetTail(WorkbookWriter& book, CellRecords& cells, const TxlsSheet& sheet);

}  // namespace vorlix::exporter::xls
