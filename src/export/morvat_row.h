#pragma once
// The row of cells of the record in hand, with a sorted name index for lookups by name.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "export/morvat_columns.h"

namespace vorlix::exporter {

class TMorvatRow;

// Whether a cell's text is formatted by its column's Format and ColType or taken as read.
enum class CellFormat { kAsRead, kFormatted };

class TMorvatCol {
 public:
  std::string Name;     // the column name, trimmed
  std::string Data;     // the cell's current text
  int ColumnIndex = 0;  // position of its column in the columns
  bool IsNull = false;  // the source value is null (data-set fields only)
  TMorvatRow& Row() const { return *row_; }

  // The cell's final text: a null value becomes the normalized NullString, otherwise when
  // kFormatted the value is formatted by its column's Format and ColType (Data is updated);
  // then the exporter's CellText gives its final form.
  std::string GetValue(CellFormat format);

 private:
  friend class TMorvatRow;
  explicit TMorvatCol(TMorvatRow& row) : row_(&row) {}
  TMorvatRow* row_;
};

// The exporter's CellText operation.
using TMorvatCellText = std::function<std::string(TMorvatCol&)>;

class TMorvatRow {
 public:
  // References the columns (for formats and types) and the exporter's operations.
  TMorvatRow(const TMorvatColumns& columns, TMorvatCellText cellText = {},
             TMorvatNormalize normalize = {})
      : columns_(&columns), cellText_(std::move(cellText)), normalize_(std::move(normalize)) {}
  TMorvatRow(const TMorvatRow&) = delete;
  TMorvatRow& operator=(const TMorvatRow&) = delete;

  // Empties the row and rebuilds one col per column, with the sorted name index.
  void Build();
  TMorvatCol& AddCol(const std::string& name, int columnIndex);
  // Sorts the name index; AddCol leaves it unsorted until then.
  void SortIndex();
  void Clear();

  int Count() const { return static_cast<int>(cols_.size()); }
  TMorvatCol& operator[](int index) { return *cols_.at(index); }
  const TMorvatCol& operator[](int index) const { return *cols_.at(index); }

  // The col that the name index finds for `name` (case-insensitive binary search; with
  // equal names the first index entry), null when none.
  TMorvatCol* Find(const std::string& name);
  // Sets the found col's Data to the text without leading and trailing blanks and control
  // characters, and clears its null flag; does nothing when the name is unknown.
  void SetValue(const std::string& name, const std::string& text);
  void SetNull(const std::string& name, bool isNull);
  // The same for the col of column `position`: columns of equal names each keep their own value,
  // where setting by name would put them all into the first col of the name.
  void SetValueOf(int position, const std::string& text, bool isNull = false);
  // Data of the found col, empty when none.
  std::string Value(const std::string& name);

  const TMorvatColumns& Columns() const { return *columns_; }
  std::string Normalize(const std::string& text) const {
    return normalize_ ? normalize_(text) : text;
  }
  std::string CellText(TMorvatCol& col) const { return cellText_ ? cellText_(col) : col.Data; }

 private:
  const TMorvatColumns* columns_;
  TMorvatCellText cellText_;
  TMorvatNormalize normalize_;
  std::vector<std::unique_ptr<TMorvatCol>> cols_;
  std::vector<std::pair<std::string, int>> index_;  // name, col position; sorted by name
};

}  // namespace vorlix::exporter
