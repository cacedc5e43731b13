// The .xlsx exporter over generated rows (fuzz_support.h), as the main window sets it up, read
// back with the tests' own workbook reader (support/xlsx_sheet_reader.h). The cells read back
// are the captions and the records in range, each value as the row holds it (without blanks and
// control characters at its ends); a refusal with a message is fine. Texts are made valid UTF-8
// first, so that what reads back is known without the exporter's own repair of other bytes.
//
// Options byte: bit 0 captions; bit 1 guess column types (then only the rows are counted);
// bits 2-4 records to skip; bits 5-7 records to export (0: all).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/exporter_settings.h"
#include "export/morvat_messages.h"
#include "export/xlsx/morvat3_xlsx.h"
#include "fuzz_support.h"
#include "support/memory_sources.h"
#include "support/xlsx_sheet_reader.h"
#include "text_readers.h"

namespace {

using namespace vorlix;
using fuzz::Fail;
using fuzz::Rows;

// Without empty cells at the ends of rows and empty rows at the end, as a sheet keeps no cell
// for an empty text.
Rows WithoutTrailingBlanks(Rows rows) {
  for (auto& row : rows) {
    while (!row.empty() && row.back().empty()) row.pop_back();
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::GeneratedTable table = fuzz::DecodeTable(data, size);
  for (std::string& caption : table.captions) caption = fuzz::ValidUtf8(caption);
  for (auto& row : table.rows) {
    for (std::string& value : row) value = fuzz::ValidUtf8(value);
  }
  const bool captions = (table.options & 1) != 0;
  const bool typed = (table.options & 2) != 0;
  const int skip = (table.options >> 2) & 7;
  const int count = table.options >> 5;

  exporter::MemoryListView list;
  fuzz::FillListView(list, table);
  exporter::xlsx::TMorvat3XLSX exporter;
  core::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  exporter.AllowCaptions = captions;
  exporter.AutoCalcStrType = typed;
  exporter.SkipRecCount = skip;
  exporter.ExportRecCount = count;
  exporter.FileName = fuzz::ScratchPath("export.xlsx");
  try {
    exporter.Execute();
  } catch (const exporter::EMorvatError&) {
    return 0;  // refused with a message
  }

  std::string error;
  const auto cells = testing::ReadXlsxSheet(exporter.FileName, error);
  if (!cells) Fail("the workbook does not read back: " + error);
  Rows read;
  for (const auto& row : *cells) {
    std::vector<std::string>& texts = read.emplace_back();
    for (const testing::XlsxCell& cell : row) {
      if (!typed && cell.kind != testing::XlsxCell::kText && cell.kind != testing::XlsxCell::kEmpty)
        Fail("a text column holds a cell that is no text");
      texts.push_back(cell.value);
    }
  }

  Rows expected;
  if (captions) expected.push_back(table.captions);
  const size_t first = std::min(static_cast<size_t>(skip), table.rows.size());
  size_t last = table.rows.size();
  if (count > 0) last = std::min(last, first + static_cast<size_t>(count));
  for (size_t r = first; r < last; ++r) {
    std::vector<std::string>& row = expected.emplace_back();
    for (const std::string& value : table.rows[r]) row.push_back(fuzz::Trimmed(value));
  }

  read = WithoutTrailingBlanks(read);
  expected = WithoutTrailingBlanks(expected);
  if (typed) {
    if (read.size() != expected.size()) Fail("the sheet has the wrong number of rows");
  } else if (read != expected) {
    Fail("the sheet reads back differently\nexpected:\n" + fuzz::DescribeRows(expected) +
         "read:\n" + fuzz::DescribeRows(read));
  }
  return 0;
}
