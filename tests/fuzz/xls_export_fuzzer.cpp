// The spreadsheet exporter over generated rows, as the main window sets it up, with the options
// the fuzzer picks; the workbook is written to a scratch file. A refusal with a message is fine;
// a crash, or a run that reports success without a compound file, is not.
//
// Options byte: bit 0 captions; bit 1 automatic column widths; bit 2 guess column types;
// bits 3-4 stripes (none, by column, by row); bit 5 a hyperlink made of the first record;
// bit 6 a merged range; bit 7 header and footer lines made of the captions.
// Second byte: bits 0-2 records to skip, bits 3-5 records to export (0: all); bit 6 the first
// caption as the sheet title; bit 7 a second sheet over the same rows.
// Parameter byte: the merged range's size and explicit cells' position.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "app/core/exporter_settings.h"
#include "export/morvat_messages.h"
#include "export/xls/morvat3_xls.h"
#include "fuzz_support.h"
#include "support/memory_sources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorlix;
  using namespace vorlix::exporter::xls;
  fuzz::ListSource source(data, size);
  const fuzz::GeneratedTable& table = source.table;
  const uint8_t o = table.options, m = table.moreOptions, p = table.parameter;
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &source.list);
  exporter.AllowCaptions = (o & 1) != 0;
  exporter.AutoCalcColWidth = (o & 2) != 0;
  exporter.AutoCalcStrType = (o & 4) != 0;
  exporter.StripType = static_cast<TxlsStripType>(((o >> 3) & 3) % 3);
  if (exporter.StripType != ssNone) {
    exporter.StripStyles.resize(2);
    exporter.StripStyles[1].Fill.Background = clrGray25Percent;
    exporter.StripStyles[1].Fill.Pattern = static_cast<TxlsPattern>(1 + p % 3);
  }
  const std::vector<std::string> first =
      table.rows.empty() ? std::vector<std::string>{"x"} : table.rows.front();
  if ((o & 32) != 0) {
    TxlsHyperlink& link = exporter.Hyperlinks.Add();
    link.Col = 1 + p % 8;
    link.Row = 1 + p / 8;
    link.Title = first[0];
    link.Target = first.size() > 1 ? first[1] : first[0];
    link.ScreenTip = first.size() > 2 ? first[2] : "";
    link.Style = (p & 1) != 0 ? hlsLocalFile : hlsURL;
  }
  if ((o & 64) != 0) {
    TxlsMergedCells merged;
    merged.FirstCol = 1 + p % 4;
    merged.FirstRow = 1 + p % 5;
    merged.LastCol = merged.FirstCol + p % 3;
    merged.LastRow = merged.FirstRow + p % 7;
    exporter.MergedCells.push_back(merged);
    TxlsCell cell;
    cell.Col = merged.FirstCol + 1;
    cell.Row = merged.LastRow + 1;
    cell.SetCellType(static_cast<TxlsCellType>(p % 4));
    cell.SetValue(first[0]);
    exporter.Cells.push_back(cell);
  }
  if ((o & 128) != 0) {
    for (const std::string& caption : table.captions) {
      exporter.Header.Add(caption);
      exporter.Footer.Add(caption);
    }
    exporter.Options.PageHeader = table.captions.front();
  }
  exporter.SkipRecCount = m & 7;
  exporter.ExportRecCount = (m >> 3) & 7;
  if ((m & 64) != 0) exporter.Options.SetSheetTitle(table.captions.front());
  exporter::MemoryListView second;
  if ((m & 128) != 0) {
    fuzz::FillListView(second, table);
    TxlsSheet& one = exporter.Sheets.Add();
    one.ExportSource = exporter::esListView;
    one.ListView = &source.list;
    one.Title = table.captions.front();
    TxlsSheet& two = exporter.Sheets.Add();
    two.ExportSource = exporter::esListView;
    two.ListView = &second;
    two.AutoCalcColWidth = true;
  }

  exporter.FileName = fuzz::ScratchPath("export.xls");
  try {
    exporter.Execute();
  } catch (const exporter::EMorvatError&) {
    return 0;  // refused with a message
  }
  char signature[8] = {};
  std::ifstream(exporter.FileName, std::ios::binary).read(signature, sizeof signature);
  if (std::string(signature, 8) != "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") {
    fuzz::Fail("a workbook written without error is no compound file");
  }
  return 0;
}
