#pragma once
// TMorvat3XLS: saves one or more sources as a workbook file, one sheet per source. Without
// exported sheets of its own it makes one temporary sheet from the component's settings.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/morvat3.h"
#include "export/xls/sheet_writer.h"
#include "export/xls/text_measure.h"
#include "export/xls/xls_options.h"
#include "export/xls/xls_sheet.h"

namespace vorlix::exporter::xls {

class TMorvat3XLS;

using TxlsSheetNotifyEvent = std::function<void(TMorvat3XLS& sender, int sheetIndex)>;
using TxlsAdvancedBeforeRowEvent =
    std::function<void(TMorvat3XLS& sender, int sheetIndex, TMorvatRow& row, bool& accept)>;
using TxlsAdvancedRecNoEvent = std::function<void(TMorvat3XLS& sender, int sheetIndex, int recNo)>;

// The writer class the component names; its own run does not use it.
class TMorvatXLSWriter : public TMorvatWriter {
 public:
  using TMorvatWriter::TMorvatWriter;
};

class TMorvat3XLS : public TMorvat3FormatText, public CellEvents {
 public:
  TMorvat3XLS();
  ~TMorvat3XLS() override;

  TXLSOptions Options;
  std::vector<TxlsFieldFormat> FieldFormats;
  std::vector<TxlsFormat> StripStyles;
  TxlsStripType StripType = ssNone;
  TxlsSheets Sheets;
  TxlsHyperlinks Hyperlinks{Options.HyperlinkFormat};
  std::vector<TxlsCell> Cells;
  std::vector<TxlsMergedCells> MergedCells;
  int HeaderRows = 0;
  int FooterRows = 0;
  int StartDataCol = 0;

  // Measures texts for automatic column widths; null uses the built-in Arial metrics.
  const ITextMeasure* TextMeasure = nullptr;

  TxlsSheetNotifyEvent OnBeforeExportSheet, OnAfterExportSheet;
  TxlsAdvancedBeforeRowEvent OnAdvancedBeforeExportRow;
  TxlsAdvancedRecNoEvent OnAdvancedExportedRecord;

  std::unique_ptr<TMorvatWriter> CreateWriter(MorvatStream& stream) override;
  // Writes the workbook named by FileName.
  void Execute() override;
  // Clears every source reference of the component and of its sheets that points to
  // `component`, which is going away.
  void RemoveReference(const void* component);

 private:
  struct RunStop {};  // "stop the whole run"
  // The run into the workbook; false when an abort ended a sheet's data early.
  bool RunSteps(WorkbookWriter& book);
  bool ExportSheet(WorkbookWriter& book, TxlsSheet& sheet, int index);
  // The exported sheets' sources, settings, sizes and titles, before any file is opened.
  void CheckSheets();
  void CheckSheet(TxlsSheet& sheet) const;
  void FillTemporarySheet(TxlsSheet& sheet) const;
};

}  // namespace vorlix::exporter::xls
