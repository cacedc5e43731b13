#include "export/xls/sheet_head_tail.h"

#include <algorithm>
#include <cmath>

#include "export/morvat_messages.h"
#include "export/xls/date_formats.h"
#include "export/xls/hyperlink_records.h"
#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

// A COLINFO record: its header, then first and last column, the width, the XF, the options and
// one unused byte.
constexpr uint64_t kColInfoSize = 4 + 11;
constexpr uint64_t kColInfoWidthAt = 4 + 4;

// WINDOW2 options: grid lines, row and column headers, zero values, grid lines in the default
// colour, outline symbols; the sheet selected and shown.
constexpr uint16_t kWindow2Options = 0x06B6;
// SELECTION: the pane (3, the only one), then the active cell A1, the active range 0, one range.
constexpr uint8_t kOnlyPane = 3;

// Ranges in one MERGEDCELLS record: a count, then 8 bytes a range.
constexpr size_t kRangesPerRecord = (kMaxRecordData - 2) / 8;

// HEADER or FOOTER: nothing for an empty text, else the character count, the encoding flag
// and the characters.
void WriteHeaderFooterRecord(WorkbookWriter& book, const TxlsSheet& sheet, uint16_t id,
                             const std::string& text) {
  const std::u16string chars = Utf16FromUtf8(text);
  if (chars.empty()) {
    book.WriteRecord(id, [](BiffBytes&) {});
    return;
  }
  if (chars.size() > 255)
    throw EMorvatError("Sheet \"" + sheet.Title +
                       "\": the page header or footer is longer than "
                       "255 characters");
  book.WriteRecord(id, [&](BiffBytes& d) {
    d.U16(static_cast<uint16_t>(chars.size()));
    // 8-bit characters when every character has one; otherwise UTF-16, so nothing is lost.
    if (FitsCompressed(chars)) {
      d.U8(0);
      for (char16_t c : chars) d.U8(static_cast<uint8_t>(c));
    } else {
      d.U8(1);
      PutUtf16(d, chars);
    }
  });
}

void WriteExplicitCells(StyleTable& styles, CellRecords& cells, const TxlsSheet& sheet) {
  for (const TxlsCell& cell : sheet.Cells) {
    if (!cell.IsValid()) continue;
    const int r = cell.Row - 1, c = cell.Col - 1;
    switch (cell.CellType()) {
      case ctBoolean:
        cells.Boolean(r, c, styles.GetCellXF("General", &cell.Format), cell.AsBoolean());
        break;
      case ctDateTime:
        cells.Number(r, c,
                     styles.GetCellXF(SpreadsheetDateFormat(cell.DateTimeFormat), &cell.Format),
                     cell.AsNumber());
        break;
      case ctNumeric:
        cells.Number(r, c, styles.GetCellXF(cell.NumericFormat, &cell.Format), cell.AsNumber());
        break;
      case ctString: {
        const uint16_t xf = styles.GetCellXF("General", &cell.Format);
        if (cell.AsText().empty())
          cells.Blank(r, c, xf);
        else
          cells.Label(r, c, xf, cell.AsText());
        break;
      }
    }
  }
}

// MERGEDCELLS: the valid entries only, so that no empty range overlaps a real one.
void WriteMergedCells(WorkbookWriter& book, const TxlsSheet& sheet) {
  std::vector<const TxlsMergedCells*> merged;
  for (const TxlsMergedCells& m : sheet.MergedCells)
    if (m.IsValid()) merged.push_back(&m);
  for (size_t start = 0; start < merged.size(); start += kRangesPerRecord) {
    const size_t n = std::min(kRangesPerRecord, merged.size() - start);
    book.WriteRecord(rid::kMergedCells, [&](BiffBytes& d) {
      d.U16(static_cast<uint16_t>(n));
      for (size_t i = 0; i < n; ++i) {
        const TxlsMergedCells& m = *merged[start + i];
        d.U16(static_cast<uint16_t>(m.FirstRow - 1)).U16(static_cast<uint16_t>(m.LastRow - 1));
        d.U16(static_cast<uint16_t>(m.FirstCol - 1)).U16(static_cast<uint16_t>(m.LastCol - 1));
      }
    });
  }
}

}  // namespace

uint64_t WriteSheetHead(WorkbookWriter& book, const TxlsSheet& sheet, int sheetIndex,
                        const ITextMeasure& measure) {
  book.AddBoundSheet(sheetIndex, Utf16FromUtf8(sheet.Title));
  book.WriteBOF(0x0010);
  // Calculation: automatic, at most 100 iterations, A1 references, no iteration; the largest
  // change 0.001.
  book.WriteWordRecords(
      {{rid::kCalcMode, 1}, {rid::kCalcCount, 100}, {rid::kRefMode, 1}, {rid::kIteration, 0}});
  book.WriteRecord(rid::kDelta, [](BiffBytes& d) { d.Double(0.001); });
  // Recalculated before saving; printed without headers and grid lines; no outline.
  book.WriteWordRecords({{rid::kSaveRecalc, 1},
                         {rid::kPrintHeaders, 0},
                         {rid::kPrintGridlines, 0},
                         {rid::kGridSet, 1}});
  book.WriteRecord(rid::kGuts, [](BiffBytes& d) { d.Zeros(8); });
  book.WriteWordRecord(rid::kDefColWidth, static_cast<uint16_t>(sheet.DefColWidth));
  book.WriteRecord(rid::kDefaultRowHeight, [&](BiffBytes& d) {
    d.U16(0).U16(static_cast<uint16_t>(std::trunc(sheet.DefRowHeight * 20)));
  });
  book.WriteWordRecord(rid::kWsBool, 0x04C1);
  WriteHeaderFooterRecord(book, sheet, rid::kHeader, sheet.Options.PageHeader);
  WriteHeaderFooterRecord(book, sheet, rid::kFooter, sheet.Options.PageFooter);
  // Not centred on the page.
  book.WriteWordRecords({{rid::kHCenter, 0}, {rid::kVCenter, 0}});
  // Column widths: W characters plus the cell margins, in 1/256 of the width of "0".
  const uint64_t firstColInfo = book.Stream().Position();
  for (int i = 0; i < sheet.Columns.Count(); ++i) {
    const auto col = static_cast<uint16_t>(sheet.StartDataCol + i);
    const uint16_t width = StoredColumnWidth(sheet.Columns[i].Width, measure);
    book.WriteRecord(rid::kColInfo, [&](BiffBytes& d) {
      d.U16(col).U16(col).U16(width).U16(kDefaultCellXF).U16(0).U8(0);
    });
  }
  book.WriteDimensions();
  return firstColInfo;
}

void RewriteColumnWidths(XlsStream& stream, uint64_t firstColInfo, const std::vector<int>& widths) {
  const uint64_t end = stream.Position();
  for (size_t i = 0; i < widths.size(); ++i) {
    stream.Seek(firstColInfo + kColInfoSize * i + kColInfoWidthAt);
    const double units = std::clamp(double(widths[i]) * 256, 0.0, double(kMaxColumnWidthUnits));
    stream.WriteU16(static_cast<uint16_t>(units));
  }
  stream.Seek(end);
}

void WriteSheetTail(WorkbookWriter& book, CellRecords& cells, const TxlsSheet& sheet) {
  StyleTable& styles = book.Styles();
  WriteExplicitCells(styles, cells, sheet);
  WriteMergedCells(book, sheet);
  for (const TxlsHyperlink& link : sheet.Hyperlinks)
    if (link.IsValid())
      cells.Label(link.Row - 1, link.Col - 1, styles.GetCellXF("General", &link.Format),
                  link.Title);
  book.WriteRecord(rid::kWindow2, [](BiffBytes& d) { d.U16(kWindow2Options).Zeros(16); });
  book.WriteRecord(rid::kSelection, [](BiffBytes& d) { d.U8(kOnlyPane).Zeros(6).U16(1).Zeros(7); });
  for (const TxlsHyperlink& link : sheet.Hyperlinks)
    if (link.IsValid()) WriteHyperlinkRecords(book.Stream(), link);
  book.WriteEOF();
}

}  // namespace vorlix::exporter::xls
