#pragma once
// Writes one worksheet substream: the sheet head, header lines, captions, record rows, the
// aggregate row, footer lines and the sheet tail with explicit cells, merged ranges and
// hyperlinks. Keeps the sheet's used range for DIMENSIONS and, on request, automatic column
// widths.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/xls/text_measure.h"
#include "export/xls/workbook_writer.h"
#include "export/xls/xls_sheet.h"

namespace vorlix::exporter::xls {

// Rows and columns a sheet of the format holds.
constexpr int kMaxRows = 65536;
constexpr int kMaxCols = 256;

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

struct TxlsCellEvents {
  TxlsLineParamsEvent OnGetHeaderParams, OnGetBeforeDataParams, OnGetFooterParams;
  TxlsCaptionParamsEvent OnGetCaptionParams;
  TxlsDataParamsEvent OnGetDataParams;
  TxlsAggregateParamsEvent OnGetAggregateParams;
  TxlsAdvancedGetExportTextEvent OnAdvancedGetExportText;
  // The engine's per-cell text event, bound to its exporter.
  std::function<void(int col, std::string& text)> EngineGetExportText;
};

class TxlsSheetWriter {
 public:
  TxlsSheetWriter(TxlsWorkbookWriter& book, TxlsSheet& sheet, int sheetIndex,
                  const TxlsCellEvents& events, const ITextMeasure& measure);

  // Resets the sheet's position, prepares its cell XFs and automatic widths. The columns must
  // be filled already.
  void Prepare();

  void WriteSheetHead();
  void WriteLines(const TMorvatStringList& lines, int lineCount, const TxlsFormat& format,
                  const TxlsLineParamsEvent& event);
  void WriteCaptions();
  void WriteRecordRow();
  void WriteAggregates();
  void RewriteColumnWidths();
  void WriteSheetTail();

  uint16_t DataCellXF(int column);
  void UpdateColumnWidth(const std::string& text, uint16_t xf, int column);
  // Width of "0" in Arial 10, in pixels.
  double ZeroWidth() const { return zeroWidth_; }

 private:
  // Cell records; `widen` adds the cell to the used range. A cell beyond the sheet's rows or
  // columns raises an error instead of wrapping.
  void CheckCell(int row, int col) const;
  void WriteLabel(int row, int col, uint16_t xf, const std::string& text, bool widen = true);
  void WriteNumber(int row, int col, uint16_t xf, double value, bool widen = true);
  void WriteBoolErr(int row, int col, uint16_t xf, bool value, bool widen = true);
  void WriteBlank(int row, int col, uint16_t xf, bool widen = true);
  void WriteBeforeDataCells();
  void WriteHeaderFooterRecord(uint16_t id, const std::string& text);
  void WriteHyperlink(const TxlsHyperlink& link);

  TxlsWorkbookWriter& book_;
  TxlsSheet& sheet_;
  int sheetIndex_;
  const TxlsCellEvents& events_;
  const ITextMeasure& measure_;
  double zeroWidth_;
  std::u16string scratch_;  // UTF-16 form of the text being written
  // Numbers written in each column's data cells, for the aggregates' cached results.
  struct ColumnTotals {
    double sum = 0, min = 0, max = 0;
    int64_t count = 0;
    void Add(double value);
  };
  std::vector<ColumnTotals> totals_;
};

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

}  // namespace vorlix::exporter::xls
