#include "support/memory_sources.h"

#include "export/morvat_strings.h"

namespace vorlix::exporter {

// ---- list view ----

void MemoryListView::AddColumn(const std::string& caption, int widthPixels) {
  columns_.push_back({caption, widthPixels});
}

void MemoryListView::SetColumnCaption(int column, const std::string& caption) {
  if (column < 0 || column >= ColumnCount()) throw EListIndexError(column);
  columns_[column].caption = caption;
}

void MemoryListView::AddItem(const std::string& caption, std::vector<std::string> subItems) {
  items_.push_back({caption, std::move(subItems)});
}

void MemoryListView::ClearItems() {
  items_.clear();
  selected_ = -1;
}

void MemoryListView::Clear() {
  ClearItems();
  columns_.clear();
}

std::string MemoryListView::ColumnCaption(int column) const {
  if (column < 0 || column >= ColumnCount()) throw EListIndexError(column);
  return columns_[column].caption;
}

int MemoryListView::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) throw EListIndexError(column);
  return columns_[column].width;
}

std::string MemoryListView::ItemCaption(int item) const {
  if (item < 0 || item >= ItemCount()) throw EListIndexError(item);
  return items_[item].caption;
}

std::string MemoryListView::SubItem(int item, int k) const {
  if (item < 0 || item >= ItemCount()) throw EListIndexError(item);
  const std::vector<std::string>& subItems = items_[item].subItems;
  if (k < 0 || k >= static_cast<int>(subItems.size())) throw EListIndexError(k);
  return subItems[k];
}

void MemoryListView::SelectItem(int item) {
  if (item < -1 || item >= ItemCount()) throw EListIndexError(item);
  selected_ = item;
}

// ---- string grid ----

MemoryStringGrid::MemoryStringGrid(int colCount, int rowCount, int fixedRows, int colWidth)
    : colCount_(colCount),
      rowCount_(rowCount),
      fixedRows_(fixedRows),
      row_(fixedRows < rowCount ? fixedRows : 0),
      cells_(static_cast<size_t>(colCount) * rowCount),
      widths_(colCount, colWidth) {}

void MemoryStringGrid::SetCell(int col, int row, const std::string& text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) throw EListIndexError(row);
  cells_[static_cast<size_t>(row) * colCount_ + col] = text;
}

void MemoryStringGrid::SetColWidth(int col, int width) {
  widths_.at(col) = width;
}

void MemoryStringGrid::SetRow(int row) {
  if (row < 0 || row >= rowCount_) throw EListIndexError(row);
  row_ = row;
}

std::string MemoryStringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return {};
  return cells_[static_cast<size_t>(row) * colCount_ + col];
}

int MemoryStringGrid::ColWidth(int col) const {
  return widths_.at(col);
}

// ---- data set ----

void MemoryDataSet::AddField(Field field) {
  fields_.push_back(std::move(field));
}

void MemoryDataSet::AddRecord(Record record) {
  record.resize(fields_.size());
  records_.push_back(std::move(record));
}

int MemoryDataSet::FindField(const std::string& name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (SameText(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::string MemoryDataSet::FieldDisplayLabel(int field) const {
  const Field& f = fields_.at(field);
  return f.displayLabel.empty() ? f.name : f.displayLabel;
}

std::string MemoryDataSet::FieldText(int field) const {
  if (Eof()) return {};
  const std::optional<std::string>& value = records_[current_].at(field);
  return value ? *value : std::string();
}

bool MemoryDataSet::FieldIsNull(int field) const {
  return !Eof() && !records_[current_].at(field).has_value();
}

void MemoryDataSet::Next() {
  if (!Eof()) ++current_;
}

TMorvatBookmark MemoryDataSet::GetBookmark() const {
  ++const_cast<MemoryDataSet*>(this)->openBookmarks_;
  return current_;
}

void MemoryDataSet::GotoBookmark(const TMorvatBookmark& bookmark) {
  current_ = std::any_cast<int>(bookmark);
}

void MemoryDataSet::FreeBookmark(TMorvatBookmark& bookmark) {
  if (bookmark.has_value()) --openBookmarks_;
  bookmark.reset();
}

// ---- data grid ----

void MemoryDBGrid::AddColumn(const std::string& fieldName, const std::string& title,
                             int widthPixels) {
  columns_.push_back({fieldName, title, widthPixels});
}

}  // namespace vorlix::exporter
