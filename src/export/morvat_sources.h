#pragma once
// The tabular sources an exporter can read, as interfaces. The GUI's member table, the CLI's
// table and the in-memory test sources (tests/support/memory_sources.h) implement them.

#include <any>
#include <stdexcept>
#include <string>

#include "export/morvat_types.h"

namespace vorlix::exporter {

// Raised by a list when an index lies outside it ("List index out of bounds (%d)").
class EListIndexError : public std::out_of_range {
 public:
  explicit EListIndexError(int index);
};

// A report-style list: columns with captions and pixel widths; items with a caption (column 0)
// and sub-items (column k is sub-item k-1).
class IMorvatListView {
 public:
  virtual ~IMorvatListView() = default;
  virtual int ColumnCount() const = 0;
  virtual std::string ColumnCaption(int column) const = 0;
  virtual int ColumnWidth(int column) const = 0;  // in pixels
  virtual int ItemCount() const = 0;
  virtual std::string ItemCaption(int item) const = 0;
  // Sub-item k of item i; throws EListIndexError when the item has no such sub-item.
  virtual std::string SubItem(int item, int k) const = 0;
  virtual int SelectedIndex() const = 0;  // -1 when none
  virtual void SelectItem(int item) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

// A grid of text cells; rows below FixedRows hold the records.
class IMorvatStringGrid {
 public:
  virtual ~IMorvatStringGrid() = default;
  virtual int ColCount() const = 0;
  virtual int RowCount() const = 0;
  virtual int FixedRows() const = 0;
  virtual int Row() const = 0;  // the current row
  virtual void SetRow(int row) = 0;
  virtual std::string Cell(int col, int row) const = 0;
  virtual int ColWidth(int col) const = 0;  // in pixels
  // Width of the letter "X" on the grid's canvas, in pixels.
  virtual int CharWidth() const { return 8; }
};

// Data types of data-set fields.
enum TMorvatFieldType {
  ftUnknown,
  ftString,
  ftWideString,
  ftMemo,
  ftBlob,
  ftSmallint,
  ftInteger,
  ftWord,
  ftAutoInc,
  ftLargeint,
  ftFloat,
  ftBCD,
  ftCurrency,
  ftDate,
  ftTime,
  ftDateTime,
  ftTimeStamp,
  ftBoolean
};

// True for the field types a column is not made for unless blobs are asked for.
bool IsBlobField(TMorvatFieldType type);

// Column type of a field type.
TMorvatColType ColTypeOfField(TMorvatFieldType type);

// An opaque position in a data set.
using TMorvatBookmark = std::any;

// A data set: a cursor over records with typed fields.
class IMorvatDataSet {
 public:
  virtual ~IMorvatDataSet() = default;
  virtual bool Active() const = 0;  // open
  virtual bool IsEmpty() const = 0;
  virtual int FieldCount() const = 0;
  // Index of the field named `name` (case-insensitive), -1 when none.
  virtual int FindField(const std::string& name) const = 0;
  virtual std::string FieldName(int field) const = 0;
  virtual TMorvatFieldType FieldType(int field) const = 0;
  virtual bool FieldVisible(int field) const = 0;
  virtual std::string FieldDisplayLabel(int field) const = 0;
  virtual int FieldDisplayWidth(int field) const = 0;  // in characters
  // The field's text and null flag in the current record.
  virtual std::string FieldText(int field) const = 0;
  virtual bool FieldIsNull(int field) const = 0;

  virtual void First() = 0;
  virtual void Next() = 0;
  virtual bool Eof() const = 0;
  virtual TMorvatBookmark GetBookmark() const = 0;
  virtual void GotoBookmark(const TMorvatBookmark& bookmark) = 0;
  virtual void FreeBookmark(TMorvatBookmark& bookmark) = 0;
  virtual void DisableControls() = 0;
  virtual void EnableControls() = 0;
};

// A data grid showing a data set: grid columns bound to fields by name.
class IMorvatDBGrid {
 public:
  virtual ~IMorvatDBGrid() = default;
  // The data set behind the grid's data source; null when the grid has no data source or the
  // data source has no data set.
  virtual IMorvatDataSet* DataSet() const = 0;
  virtual int ColumnCount() const = 0;
  virtual std::string ColumnFieldName(int column) const = 0;
  virtual std::string ColumnTitle(int column) const = 0;
  virtual int ColumnWidth(int column) const = 0;  // in pixels
  // Width of the letter "X" on the grid's canvas, in pixels.
  virtual int CharWidth() const { return 8; }
};

class TmvCustomSource;

}  // namespace vorlix::exporter
