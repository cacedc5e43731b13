#pragma once
// TMorvat3XLSX: saves its source as an Office Open XML workbook (.xlsx) with one sheet, through
// the export engine's run like the other exporters: a caption row, then one row per record.
// Cells keep the column's type as the .xls exporter keeps it: numbers, dates and booleans as
// such, everything else as text. The workbook is written with libxlsxwriter in its
// constant-memory mode into a temporary file, then copied into the run's output file, which
// takes the place of FileName only when the run succeeds (platform/output_file.h); a stream target
// (a pipe, standard output) works too. Both the library's packaging and the copy report through
// OnFinishing, and an Abort there stops them.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/cell_text_limit.h"
#include "export/morvat3.h"
#include "export/xlsx/xlsx_book.h"

namespace vorlix::exporter::xlsx {

// What one sheet of the format holds.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;
using exporter::kMaxCellCharacters;  // export/cell_text_limit.h

struct TXlsxOptions {
  std::string SheetTitle = "Sheet1";
  // In the spreadsheet's code syntax ("Page &P of &N"); a text that names no section is
  // centred.
  std::string PageHeader;
  std::string PageFooter;
  TXlsxFont CaptionsFont;
  TXlsxFont DataFont;
};

class TMorvat3XLSX : public TMorvat3FormatText {
 public:
  TMorvat3XLSX();
  ~TMorvat3XLSX() override;

  TXlsxOptions Options;
  // Rows the sheet may take, the caption row included. Lower only to test the limit cheaply.
  int MaxRows = kMaxRows;

  // Writes the workbook named by FileName. A run that needs more rows than the sheet holds is
  // refused before the file is opened when the source knows its record count.
  void Execute() override;

  void BeginExport() override;
  void BeforeDataRows() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;

 protected:
  // The library writes a file by its name and seeks in it: the workbook is built in a
  // temporary file and then copied into the run's stream.
  void RunExport() override;

 private:
  // Raises the row-limit error when the source's known record count does not fit.
  void CheckKnownRowCount();
  // Runs the export into the workbook.
  void WriteWorkbook(XlsxBook& book);
  // Copies the written workbook into the run's stream.
  void CopyWorkbook(const std::string& path);
  // The row about to be written; raises the row-limit error when the sheet is full.
  int NextRow();
  // A text cell; raises when the text is longer than a cell holds.
  void WriteText(int row, int column, const std::string& text, int format);
  // A data cell of the column's type.
  void WriteCell(int row, int column, const std::string& text);

  XlsxBook* book_ = nullptr;  // during WriteWorkbook only
  int row_ = 0;
  int dataFormat_ = -1;
  std::vector<int> columnFormats_;
};

}  // namespace vorlix::exporter::xlsx
