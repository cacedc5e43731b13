#include "export/xls/cell_records.h"

#include <algorithm>

#include "export/cell_text_limit.h"
#include "export/xls/sheet_checks.h"
#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

// FORMULA: the cell header, the cached result (8 bytes), option flags, 4 unused bytes, the size
// of the parsed expression and the expression itself.
constexpr uint16_t kRecalculateOnLoad = 0x0002;
// A cached result that is an error value: type byte 2, one unused byte, the error code, three
// unused bytes and 0xFFFF, which no number has in its top two bytes.
constexpr uint8_t kCachedErrorType = 0x02;
constexpr uint8_t kErrorDivisionByZero = 0x07;  // #DIV/0!
constexpr uint16_t kCachedValueMark = 0xFFFF;

// The expression of an aggregate: an area reference (tArea: first and last row, first and last
// column with their relative-row and relative-column flags), then a call of a function with a
// variable argument count (tFuncVar: the count, the function's number).
constexpr uint8_t kTokenArea = 0x25;
constexpr uint16_t kRelativeRowAndColumn = 0xC000;
constexpr uint8_t kTokenFunctionVar = 0x42;
constexpr uint8_t kOneArgument = 1;
constexpr uint16_t kAggregateExpressionSize = 9 + 4;

uint16_t FunctionNumber(TxlsAggregate aggregate) {
  switch (aggregate) {
    case aggSum:
      return 4;  // SUM
    case aggAvg:
      return 5;  // AVERAGE
    case aggMin:
      return 6;  // MIN
    default:
      return 7;  // MAX
  }
}

}  // namespace

void CellRecords::Check(int row, int col) const {
  CheckCellInSheet(title_, row, col);
}

template <typename Fill>
void CellRecords::WriteCell(uint16_t id, int row, int col, uint16_t xf, Fill&& fill) {
  Check(row, col);
  book_.WriteRecord(id, [&](BiffBytes& d) {
    d.U16(static_cast<uint16_t>(row)).U16(static_cast<uint16_t>(col)).U16(xf);
    fill(d);
  });
  book_.CurrentSheet().Widen(row, col);
}

namespace {

// The letters of a sheet column: A to Z, then AA, AB and so on.
std::string ColumnLetters(int col) {
  std::string letters;
  for (int n = col + 1; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return letters;
}

}  // namespace

void CellRecords::Label(int row, int col, uint16_t xf, const std::string& text) {
  Check(row, col);
  if (text.size() > kMaxCellCharacters) {
    const std::string name = columnName_ ? columnName_(col) : std::string();
    CheckCellText(row + 1, name.empty() ? ColumnLetters(col) : name, text);
  }
  Utf16FromUtf8(text, scratch_);
  const uint32_t index = book_.Sst().AddString(scratch_);
  WriteCell(rid::kLabelSst, row, col, xf, [&](BiffBytes& d) { d.U32(index); });
}

void CellRecords::Number(int row, int col, uint16_t xf, double value) {
  WriteCell(rid::kNumber, row, col, xf, [&](BiffBytes& d) { d.Double(value); });
}

void CellRecords::Boolean(int row, int col, uint16_t xf, bool value) {
  WriteCell(rid::kBoolErr, row, col, xf, [&](BiffBytes& d) { d.U8(value ? 1 : 0).U8(0); });
}

void CellRecords::Blank(int row, int col, uint16_t xf) {
  WriteCell(rid::kBlank, row, col, xf, [](BiffBytes&) {});
}

void CellRecords::Aggregate(int row, int col, uint16_t xf, TxlsAggregate aggregate,
                            std::optional<double> cached, int firstRow, int lastRow) {
  const auto column = static_cast<uint16_t>(col | kRelativeRowAndColumn);
  WriteCell(rid::kFormula, row, col, xf, [&](BiffBytes& d) {
    if (cached)
      d.Double(*cached);
    else
      d.U8(kCachedErrorType).U8(0).U8(kErrorDivisionByZero).Zeros(3).U16(kCachedValueMark);
    d.U16(kRecalculateOnLoad).U32(0).U16(kAggregateExpressionSize);
    d.U8(kTokenArea);
    d.U16(static_cast<uint16_t>(std::max(firstRow, 0)));
    d.U16(static_cast<uint16_t>(std::max(lastRow, 0)));
    d.U16(column).U16(column);
    d.U8(kTokenFunctionVar).U8(kOneArgument).U16(FunctionNumber(aggregate));
  });
}

}  // namespace vorlix::exporter::xls
