#include "export/xls/sheet_checks.h"

#include <algorithm>
#include <cstdint>

#include "export/morvat_messages.h"
#include "export/xls/biff_record.h"
#include "export/xls/hyperlink_records.h"
#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

bool IsBadTitleCharacter(char16_t c) {
  return c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' || c == u']' ||
         c < 0x20;
}

bool InsideSheet(int row, int col) {
  return row >= 0 && row <= kMaxRows && col >= 0 && col <= kMaxCols;
}

std::string TooManyRows(const std::string& title) {
  return "Sheet \"" + title + "\" needs more than " + std::to_string(kMaxRows) +
         " rows, the most a sheet can hold";
}

int LinesWritten(const MorvatStringList& lines, int lineCount) {
  return std::max(lineCount != 0 ? lineCount : lines.Count(), 0);
}

}  // namespace

void ValidateSheetSettings(const TxlsSheet& sheet) {
  auto fail = [&](const std::string& what) {
    throw EMorvatError("Sheet \"" + sheet.Title + "\": " + what);
  };
  const std::u16string title = Utf16FromUtf8(sheet.Title);
  if (title.empty()) fail("the sheet title is empty");
  if (title.size() > 31) fail("the sheet title is longer than 31 characters");
  for (char16_t c : title)
    if (IsBadTitleCharacter(c))
      fail(
          "the sheet title holds a character that is not allowed (: \\ / ? * [ ] or a control "
          "character)");
  if (title.front() == u'\'' || title.back() == u'\'')
    fail("the sheet title begins or ends with an apostrophe");
  if (Utf16Length(sheet.Options.PageHeader) > 255)
    fail("the page header is longer than 255 characters");
  if (Utf16Length(sheet.Options.PageFooter) > 255)
    fail("the page footer is longer than 255 characters");
  if (sheet.StartDataCol < 0 || sheet.StartDataCol > 255)
    fail("the first data column lies outside the sheet's 256 columns");
  for (const TxlsCell& cell : sheet.Cells)
    if (cell.IsValid() && !InsideSheet(cell.Row, cell.Col))
      fail("the cell at row " + std::to_string(cell.Row) + ", column " + std::to_string(cell.Col) +
           " lies outside the sheet");
  for (const TxlsMergedCells& m : sheet.MergedCells)
    if (m.IsValid() &&
        (!InsideSheet(m.FirstRow, m.FirstCol) || !InsideSheet(m.LastRow, m.LastCol) ||
         m.FirstRow > m.LastRow || m.FirstCol > m.LastCol))
      fail("a merged range lies outside the sheet or is reversed");
  for (const TxlsHyperlink& link : sheet.Hyperlinks) {
    if (!link.IsValid()) continue;
    if (link.Row < 0 || link.Row > kMaxRows) fail("a hyperlink lies outside the sheet");
    if (HyperlinkData(link).size() > kMaxRecordData)
      fail("the hyperlink \"" + link.Title + "\" is too long");
    if (ScreenTipData(link).size() > kMaxRecordData)
      fail("the screen tip of the hyperlink \"" + link.Title + "\" is too long");
  }
}

void CheckSheetColumns(const TxlsSheet& sheet) {
  const int columns = sheet.Columns.Count();
  if (sheet.StartDataCol + columns > kMaxCols)
    throw EMorvatError("Sheet \"" + sheet.Title + "\": " + std::to_string(columns) +
                       " columns from column " + std::to_string(sheet.StartDataCol + 1) +
                       " do not fit the sheet's 256 columns");
}

void CheckSheetSize(const TxlsSheet& sheet, std::optional<int> records) {
  CheckSheetColumns(sheet);
  if (!records) return;
  int64_t rows = LinesWritten(sheet.Header, sheet.HeaderRows) + (sheet.AllowCaptions ? 1 : 0);
  rows += sheet.CurrentRecordOnly ? std::min(*records, 1) : *records;
  for (const TxlsFieldFormat& format : sheet.FieldFormats)
    if (format.Aggregate != aggNone && sheet.Columns.IndexOfName(format.FieldName) >= 0) {
      ++rows;
      break;
    }
  rows += LinesWritten(sheet.Footer, sheet.FooterRows);
  if (rows > kMaxRows) throw EMorvatError(TooManyRows(sheet.Title));
}

void CheckCellInSheet(const std::string& title, int row, int col) {
  if (row >= kMaxRows) throw EMorvatError(TooManyRows(title));
  if (col >= kMaxCols || col < 0 || row < 0)
    throw EMorvatError("Sheet \"" + title + "\" needs more than " + std::to_string(kMaxCols) +
                       " columns, the most a sheet can hold");
}

}  // namespace vorlix::exporter::xls
