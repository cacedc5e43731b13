#pragma once
// Writes one worksheet substream: the sheet head, header lines, captions, record rows, the
// aggregate row, footer lines and the sheet tail. The writer keeps the state of the run (the
// row being written, the prepared cell styles, the automatic column widths and the column
// totals), so that the sheet's settings stay as they are while it is written.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/xls/cell_records.h"
#include "export/xls/sheet_checks.h"
#include "export/xls/text_measure.h"
#include "export/xls/workbook_writer.h"
#include "export/xls/xls_sheet.h"

namespace vorlix::exporter::xls {

// Events fired while cells are written; the sheet is the sender.
using TxlsLineParamsEvent = std::function<void(TxlsSheet& sender, int sheetIndex, int col, int row,
                                               TxlsFormat& format, std::string& text)>;
using TxlsCaptionParamsEvent = std::function<void(TxlsSheet& sender, int sheetIndex, int col,
                                                  TxlsFormat& format, std::string& caption)>;
using TxlsDataParamsEvent = std::function<void(TxlsSheet& sender, int sheetIndex, int col, int row,
                                               TxlsFormat& format, std::string& formatString)>;
using TxlsAggregateParamsEvent =
    std::function<void(TxlsSheet& sender, int sheetIndex, int col, TxlsFormat& format,
                       std::string& formatString, std::string& value)>;
using TxlsAdvancedGetExportTextEvent =
    std::function<void(TxlsSheet& sender, int sheetIndex, int col, std::string& text)>;

struct CellEvents {
  TxlsLineParamsEvent OnGetHeaderParams, OnGetBeforeDataParams, OnGetFooterParams;
  TxlsCaptionParamsEvent OnGetCaptionParams;
  TxlsDataParamsEvent OnGetDataParams;
  TxlsAggregateParamsEvent OnGetAggregateParams;
  TxlsAdvancedGetExportTextEvent OnAdvancedGetExportText;
  // The engine's per-cell text event, bound to its exporter.
  std::function<void(int col, std::string& text)> EngineGetExportText;
};

class SheetWriter {
 public:
  SheetWriter(WorkbookWriter& book, TxlsSheet& sheet, int sheetIndex, const CellEvents& events,
              const ITextMeasure& measure);

  // Prepares the cell styles and automatic widths of the sheet's columns, which must be filled
  // already, and starts at the first row.
  void Prepare();

  void WriteSheetHead();
  void WriteLines(const MorvatStringList& lines, int lineCount, const TxlsFormat& format,
                  const TxlsLineParamsEvent& event);
  void WriteCaptions();
  // The sheet's row in hand (sheet.Row), as record number sheet.RecordCounter.
  void WriteRecordRow();
  void WriteAggregates();
  void RewriteColumnWidths();
  void WriteSheetTail();

 private:
  // Numbers written in each column's data cells, for the aggregates' cached results.
  struct ColumnTotals {
    double sum = 0, min = 0, max = 0;
    int64_t count = 0;
    void Add(double value);
  };

  void PrepareFieldStyles();
  void PrepareStripStyles();
  uint16_t DataCellXF(int column);
  void WriteDataCell(int column, std::string& text, uint16_t xf);
  void WriteBeforeDataCells();
  void UpdateColumnWidth(const std::string& text, uint16_t xf, int column);

  WorkbookWriter& book_;
  TxlsSheet& sheet_;
  int sheetIndex_;
  const CellEvents& events_;
  const ITextMeasure& measure_;
  double zeroWidth_;  // width of "0" in Arial 10, in pixels
  CellRecords cells_;

  // --- Run state ---
  int row_ = 0;                     // the row written next
  std::vector<uint16_t> fieldXFs_;  // the field format's XF of each column (15: none)
  // With strips: the XF of each column in each strip (rows of strips use one a record in turn;
  // column strips one row, the strip of each column).
  std::vector<std::vector<uint16_t>> stripXFs_;
  std::vector<int> autoWidths_;  // characters, per column
  uint64_t firstColInfo_ = 0;    // stream position of the head's first COLINFO
  std::vector<ColumnTotals> totals_;
};

}  // namespace vorlix::exporter::xls
