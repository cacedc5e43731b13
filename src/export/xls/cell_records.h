#pragma once
// Cell records of a sheet: LABELSST, NUMBER, BOOLERR, BLANK and the FORMULA of an aggregate.
// Each begins with the same cell header (row, column, XF) and widens the sheet's used range, so
// that DIMENSIONS covers every cell written.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "export/xls/formats.h"
#include "export/xls/workbook_writer.h"

namespace vorlix::exporter::xls {

class CellRecords {
 public:
  // The caption of a sheet column as the text-length error names it (its letters when empty).
  using ColumnName = std::function<std::string(int col)>;

  // Cells of the current sheet of `book`; `sheetTitle` names the sheet in the limit errors,
  // `columnName` the column of a text too long for its cell.
  CellRecords(WorkbookWriter& book, const std::string& sheetTitle, ColumnName columnName = nullptr)
      : book_(book), title_(sheetTitle), columnName_(std::move(columnName)) {}

  // Raises the sheet's row or column limit error when (row, col) lies outside the sheet; every
  // writer below checks first.
  void Check(int row, int col) const;

  // LABELSST: the text (UTF-8) as an entry of the shared string table. A text longer than a cell
  // holds is refused (export/cell_text_limit.h).
  void Label(int row, int col, uint16_t xf, const std::string& text);
  // NUMBER.
  void Number(int row, int col, uint16_t xf, double value);
  // BOOLERR holding a boolean.
  void Boolean(int row, int col, uint16_t xf, bool value);
  // BLANK: a cell with a style and no value.
  void Blank(int row, int col, uint16_t xf);
  // FORMULA of `aggregate` over the 0-based rows firstRow to lastRow of column col, to be
  // recalculated when the workbook is loaded. `cached` is the result readers that do not
  // recalculate show; nullopt shows #DIV/0!.
  void Aggregate(int row, int col, uint16_t xf, TxlsAggregate aggregate,
                 std::optional<double> cached, int firstRow, int lastRow);

 private:
  template <typename Fill>
  void WriteCell(uint16_t id, int row, int col, uint16_t xf, Fill&& fill);

  WorkbookWriter& book_;
  const std::string& title_;
  ColumnName columnName_;
  std::u16string scratch_;  // UTF-16 form of the text being written
};

}  // namespace vorlix::exporter::xls
