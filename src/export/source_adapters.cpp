#include "export/source_adapters.h"

#include <algorithm>

#include "export/custom_source.h"
#include "export/morvat_columns.h"
#include "export/source_cursor.h"

namespace vorlix::exporter {

namespace {

// A list view: the record in hand is found by position (skipped records plus the counter).
class ListViewAdapter : public MorvatSourceAdapter {
 public:
  bool IsSet(const MorvatSourceSettings& s) const override { return s.ListView != nullptr; }
  bool IsEmpty(const MorvatSourceSettings& s) const override {
    return !s.ListView || s.ListView->ItemCount() == 0;
  }
  void Lock(const MorvatSourceSettings& s) const override {
    if (s.ListView) s.ListView->BeginUpdate();
  }
  void Unlock(const MorvatSourceSettings& s) const override {
    if (s.ListView) s.ListView->EndUpdate();
  }
  void First(const MorvatSourceSettings& s) const override {
    if (s.ListView && s.ListView->ItemCount() > 0) s.ListView->SelectItem(0);
  }
  std::optional<int> CountedRecords(const MorvatSourceSettings& s) const override {
    return ListItemCount(s);
  }
  void Save(const MorvatSourceSettings& s, MorvatPosition& position) const override {
    if (s.ListView) position.index = std::max(s.ListView->SelectedIndex(), 0);
  }
  void Restore(const MorvatSourceSettings& s, const MorvatPosition& position) const override {
    if (s.ListView && position.index < s.ListView->ItemCount())
      s.ListView->SelectItem(position.index);
  }
  std::string Value(const MorvatSourceSettings& s, int record,
                    const TMorvatColumn& column) const override {
    if (!s.ListView) return {};
    const int item = std::max(s.SkipRecCount, 0) + record;
    if (column.ColumnIndex == 0) return s.ListView->ItemCaption(item);
    return s.ListView->SubItem(item, column.ColumnIndex - 1);
  }
  int ListItemCount(const MorvatSourceSettings& s) const override {
    return s.ListView ? s.ListView->ItemCount() : 0;
  }
};

// A data set, read directly or through a data-aware grid.
class DataSetAdapterBase : public MorvatSourceAdapter {
 public:
  virtual IMorvatDataSet* DataSetOf(const MorvatSourceSettings& s) const = 0;
  // The field a column reads.
  virtual int FieldOf(const MorvatSourceSettings& s, IMorvatDataSet& dataSet,
                      const TMorvatColumn& column) const = 0;

  bool IsSet(const MorvatSourceSettings& s) const override { return DataSetOf(s) != nullptr; }
  bool IsActive(const MorvatSourceSettings& s) const override {
    IMorvatDataSet* dataSet = DataSetOf(s);
    return dataSet && dataSet->Active();
  }
  bool IsEmpty(const MorvatSourceSettings& s) const override {
    IMorvatDataSet* dataSet = DataSetOf(s);
    return !dataSet || dataSet->IsEmpty();
  }
  void Lock(const MorvatSourceSettings& s) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s)) dataSet->DisableControls();
  }
  void Unlock(const MorvatSourceSettings& s) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s)) dataSet->EnableControls();
  }
  void Next(const MorvatSourceSettings& s) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s)) dataSet->Next();
  }
  bool Eof(const MorvatSourceSettings& s) const override {
    IMorvatDataSet* dataSet = DataSetOf(s);
    return !dataSet || dataSet->Eof();
  }
  void Save(const MorvatSourceSettings& s, MorvatPosition& position) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s)) position.bookmark = dataSet->GetBookmark();
  }
  void Restore(const MorvatSourceSettings& s, const MorvatPosition& position) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s); dataSet && position.bookmark.has_value())
      dataSet->GotoBookmark(position.bookmark);
  }
  void Free(const MorvatSourceSettings& s, MorvatPosition& position) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s); dataSet && position.bookmark.has_value())
      dataSet->FreeBookmark(position.bookmark);
  }
  std::string Value(const MorvatSourceSettings& s, int,
                    const TMorvatColumn& column) const override {
    IMorvatDataSet* dataSet = DataSetOf(s);
    if (!dataSet) return {};
    const int field = FieldOf(s, *dataSet, column);
    return field < 0 ? std::string() : dataSet->FieldText(field);
  }
  bool IsNull(const MorvatSourceSettings& s, const TMorvatColumn& column) const override {
    IMorvatDataSet* dataSet = DataSetOf(s);
    if (!dataSet) return false;
    const int field = FieldOf(s, *dataSet, column);
    return field >= 0 && dataSet->FieldIsNull(field);
  }
};

// A data set read directly: a column's index is its field.
class DataSetAdapter : public DataSetAdapterBase {
 public:
  IMorvatDataSet* DataSetOf(const MorvatSourceSettings& s) const override { return s.DataSet; }
  int FieldOf(const MorvatSourceSettings&, IMorvatDataSet&,
              const TMorvatColumn& column) const override {
    return column.ColumnIndex;
  }
  void First(const MorvatSourceSettings& s) const override {
    if (s.DataSet) s.DataSet->First();
  }
};

// A data-aware grid: a column reads the field its grid column names; an inactive data set is
// not moved.
class DBGridAdapter : public DataSetAdapterBase {
 public:
  IMorvatDataSet* DataSetOf(const MorvatSourceSettings& s) const override {
    return s.DBGrid ? s.DBGrid->DataSet() : nullptr;
  }
  int FieldOf(const MorvatSourceSettings& s, IMorvatDataSet& dataSet,
              const TMorvatColumn& column) const override {
    return dataSet.FindField(s.DBGrid->ColumnFieldName(column.ColumnIndex));
  }
  void First(const MorvatSourceSettings& s) const override {
    if (IMorvatDataSet* dataSet = DataSetOf(s); dataSet && dataSet->Active()) dataSet->First();
  }
};

// A string grid: the rows below the fixed ones, the record in hand is the grid's row.
class StringGridAdapter : public MorvatSourceAdapter {
 public:
  bool IsSet(const MorvatSourceSettings& s) const override { return s.StringGrid != nullptr; }
  bool IsEmpty(const MorvatSourceSettings& s) const override {
    return !s.StringGrid || s.StringGrid->RowCount() <= s.StringGrid->FixedRows();
  }
  void First(const MorvatSourceSettings& s) const override {
    if (s.StringGrid) s.StringGrid->SetRow(s.StringGrid->FixedRows());
  }
  void Next(const MorvatSourceSettings& s) const override {
    if (IMorvatStringGrid* grid = s.StringGrid; grid && grid->Row() < grid->RowCount() - 1)
      grid->SetRow(grid->Row() + 1);
  }
  std::optional<int> CountedRecords(const MorvatSourceSettings& s) const override {
    return s.StringGrid ? s.StringGrid->RowCount() - s.StringGrid->FixedRows() : 0;
  }
  void Save(const MorvatSourceSettings& s, MorvatPosition& position) const override {
    if (s.StringGrid) position.index = s.StringGrid->Row();
  }
  void Restore(const MorvatSourceSettings& s, const MorvatPosition& position) const override {
    if (s.StringGrid) s.StringGrid->SetRow(position.index);
  }
  std::string Value(const MorvatSourceSettings& s, int,
                    const TMorvatColumn& column) const override {
    if (!s.StringGrid) return {};
    return s.StringGrid->Cell(column.ColumnIndex, s.StringGrid->Row());
  }
};

// A custom source, which reports its records through its handlers.
class CustomAdapter : public MorvatSourceAdapter {
 public:
  bool IsSet(const MorvatSourceSettings& s) const override { return s.CustomSource != nullptr; }
  bool IsEmpty(const MorvatSourceSettings& s) const override {
    // The first record always exists once the source can step at all.
    return !s.CustomSource || !s.CustomSource->OnGetNextRecord;
  }
  void First(const MorvatSourceSettings& s) const override {
    if (s.CustomSource) s.CustomSource->First();
  }
  void Next(const MorvatSourceSettings& s) const override {
    if (s.CustomSource) s.CustomSource->Next();
  }
  bool Eof(const MorvatSourceSettings& s) const override {
    return !s.CustomSource || s.CustomSource->Eof();
  }
  void Save(const MorvatSourceSettings& s, MorvatPosition& position) const override {
    if (s.CustomSource) position.index = s.CustomSource->RecNo();
  }
  void Restore(const MorvatSourceSettings& s, const MorvatPosition& position) const override {
    if (s.CustomSource) s.CustomSource->SetRecNo(position.index);
  }
  std::string Value(const MorvatSourceSettings& s, int,
                    const TMorvatColumn& column) const override {
    if (!s.CustomSource) return {};
    return s.CustomSource->ColumnValue(column.ColumnIndex);
  }
};

}  // namespace

const MorvatSourceAdapter& SourceAdapter(TMorvatSource kind) {
  static const ListViewAdapter listView;
  static const DataSetAdapter dataSet;
  static const DBGridAdapter dbGrid;
  static const StringGridAdapter stringGrid;
  static const CustomAdapter custom;
  switch (kind) {
    case esListView:
      return listView;
    case esDataSet:
      return dataSet;
    case esDBGrid:
      return dbGrid;
    case esStringGrid:
      return stringGrid;
    case esCustom:
      return custom;
  }
  return custom;  // not reached: every kind has its adapter
}

}  // namespace vorlix::exporter
