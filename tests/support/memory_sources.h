#pragma once
// In-memory implementations of the source interfaces, for the tests, the fuzz targets and the
// benchmarks.

#include <optional>
#include <string>
#include <vector>

#include "export/morvat_sources.h"

namespace vorlix::exporter {

// A list with columns and items held in memory. Reading a sub-item that an item lacks throws
// EListIndexError, as a real list does; a table built with full rows never does.
class MemoryListView : public IMorvatListView {
 public:
  struct Item {
    std::string caption;
    std::vector<std::string> subItems;
  };

  void AddColumn(const std::string& caption, int widthPixels);
  void SetColumnCaption(int column, const std::string& caption);
  void AddItem(const std::string& caption, std::vector<std::string> subItems = {});
  void ClearItems();
  void Clear();
  Item& ItemAt(int item) { return items_.at(item); }
  int UpdateDepth() const { return updateDepth_; }

  int ColumnCount() const override { return static_cast<int>(columns_.size()); }
  std::string ColumnCaption(int column) const override;
  int ColumnWidth(int column) const override;
  int ItemCount() const override { return static_cast<int>(items_.size()); }
  std::string ItemCaption(int item) const override;
  std::string SubItem(int item, int k) const override;
  int SelectedIndex() const override { return selected_; }
  void SelectItem(int item) override;
  void BeginUpdate() override { ++updateDepth_; }
  void EndUpdate() override { --updateDepth_; }

 private:
  struct Column {
    std::string caption;
    int width;
  };
  std::vector<Column> columns_;
  std::vector<Item> items_;
  int selected_ = -1;
  int updateDepth_ = 0;
};

class MemoryStringGrid : public IMorvatStringGrid {
 public:
  MemoryStringGrid(int colCount, int rowCount, int fixedRows = 1, int colWidth = 64);
  void SetCell(int col, int row, const std::string& text);
  void SetColWidth(int col, int width);

  int ColCount() const override { return colCount_; }
  int RowCount() const override { return rowCount_; }
  int FixedRows() const override { return fixedRows_; }
  int Row() const override { return row_; }
  void SetRow(int row) override;
  std::string Cell(int col, int row) const override;
  int ColWidth(int col) const override;

 private:
  int colCount_, rowCount_, fixedRows_;
  int row_;
  std::vector<std::string> cells_;
  std::vector<int> widths_;
};

class MemoryDataSet : public IMorvatDataSet {
 public:
  struct Field {
    std::string name;
    TMorvatFieldType type = ftString;
    bool visible = true;
    std::string displayLabel;  // empty: the name
    int displayWidth = 10;
  };
  // A record's values; std::nullopt marks a null value.
  using Record = std::vector<std::optional<std::string>>;

  void AddField(Field field);
  void AddField(const std::string& name, TMorvatFieldType type = ftString, bool visible = true,
                const std::string& displayLabel = "", int displayWidth = 10) {
    AddField(Field{name, type, visible, displayLabel, displayWidth});
  }
  void AddRecord(Record record);
  void SetActive(bool active) { active_ = active; }
  int RecNo() const { return current_; }
  int ControlsDisabled() const { return disabled_; }
  int OpenBookmarks() const { return openBookmarks_; }

  bool Active() const override { return active_; }
  bool IsEmpty() const override { return records_.empty(); }
  int FieldCount() const override { return static_cast<int>(fields_.size()); }
  int FindField(const std::string& name) const override;
  std::string FieldName(int field) const override { return fields_.at(field).name; }
  TMorvatFieldType FieldType(int field) const override { return fields_.at(field).type; }
  bool FieldVisible(int field) const override { return fields_.at(field).visible; }
  std::string FieldDisplayLabel(int field) const override;
  int FieldDisplayWidth(int field) const override { return fields_.at(field).displayWidth; }
  std::string FieldText(int field) const override;
  bool FieldIsNull(int field) const override;

  void First() override { current_ = 0; }
  void Next() override;
  bool Eof() const override { return current_ >= static_cast<int>(records_.size()); }
  TMorvatBookmark GetBookmark() const override;
  void GotoBookmark(const TMorvatBookmark& bookmark) override;
  void FreeBookmark(TMorvatBookmark& bookmark) override;
  void DisableControls() override { ++disabled_; }
  void EnableControls() override { --disabled_; }

 private:
  std::vector<Field> fields_;
  std::vector<Record> records_;
  bool active_ = true;
  int current_ = 0;
  int disabled_ = 0;
  int openBookmarks_ = 0;
};

class MemoryDBGrid : public IMorvatDBGrid {
 public:
  explicit MemoryDBGrid(IMorvatDataSet* dataSet) : dataSet_(dataSet) {}
  void AddColumn(const std::string& fieldName, const std::string& title, int widthPixels);
  void SetDataSet(IMorvatDataSet* dataSet) { dataSet_ = dataSet; }

  IMorvatDataSet* DataSet() const override { return dataSet_; }
  int ColumnCount() const override { return static_cast<int>(columns_.size()); }
  std::string ColumnFieldName(int column) const override { return columns_.at(column).field; }
  std::string ColumnTitle(int column) const override { return columns_.at(column).title; }
  int ColumnWidth(int column) const override { return columns_.at(column).width; }

 private:
  struct Column {
    std::string field, title;
    int width;
  };
  IMorvatDataSet* dataSet_;
  std::vector<Column> columns_;
};

}  // namespace vorlix::exporter
