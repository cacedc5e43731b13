#include "export/source_cursor.h"

#include <algorithm>

#include "export/custom_source.h"
#include "export/morvat_columns.h"
#include "export/morvat_messages.h"

namespace vorlix::exporter {

IMorvatDataSet* TMorvatSourceCursor::DataSetOf() const {
  if (settings_.ExportSource == esDataSet) return settings_.DataSet;
  if (settings_.ExportSource == esDBGrid && settings_.DBGrid) return settings_.DBGrid->DataSet();
  return nullptr;
}

void TMorvatSourceCursor::CheckSource() const {
  bool set = false;
  switch (settings_.ExportSource) {
    case esDataSet:
      set = settings_.DataSet != nullptr;
      break;
    case esListView:
      set = settings_.ListView != nullptr;
      break;
    case esDBGrid:
      set = settings_.DBGrid != nullptr && settings_.DBGrid->DataSet() != nullptr;
      break;
    case esStringGrid:
      set = settings_.StringGrid != nullptr;
      break;
    case esCustom:
      set = settings_.CustomSource != nullptr;
      break;
  }
  if (!set) throw EMorvatError::FromTable(msgSourceNotAssigned, SourceName());
}

bool TMorvatSourceCursor::IsSourceActive() const {
  if (IMorvatDataSet* dataSet = DataSetOf()) return dataSet->Active();
  if (settings_.ExportSource == esDataSet || settings_.ExportSource == esDBGrid) return false;
  return true;
}

bool TMorvatSourceCursor::IsSourceEmpty() const {
  switch (settings_.ExportSource) {
    case esListView:
      return !settings_.ListView || settings_.ListView->ItemCount() == 0;
    case esDataSet:
    case esDBGrid: {
      IMorvatDataSet* dataSet = DataSetOf();
      return !dataSet || dataSet->IsEmpty();
    }
    case esStringGrid:
      return !settings_.StringGrid ||
             settings_.StringGrid->RowCount() <= settings_.StringGrid->FixedRows();
    case esCustom:
      // The first record always exists once the source can step at all.
      return !settings_.CustomSource || !settings_.CustomSource->OnGetNextRecord;
  }
  return true;
}

void TMorvatSourceCursor::LockSource() {
  if (settings_.ExportSource == esListView && settings_.ListView)
    settings_.ListView->BeginUpdate();
  else if (IMorvatDataSet* dataSet = DataSetOf())
    dataSet->DisableControls();
}

void TMorvatSourceCursor::UnlockSource() {
  if (settings_.ExportSource == esListView && settings_.ListView)
    settings_.ListView->EndUpdate();
  else if (IMorvatDataSet* dataSet = DataSetOf())
    dataSet->EnableControls();
}

void TMorvatSourceCursor::FirstRecord() {
  counter_ = 0;
  switch (settings_.ExportSource) {
    case esListView:
      if (settings_.ListView && settings_.ListView->ItemCount() > 0)
        settings_.ListView->SelectItem(0);
      break;
    case esDataSet:
      if (settings_.DataSet) settings_.DataSet->First();
      break;
    case esDBGrid:
      if (IMorvatDataSet* dataSet = DataSetOf(); dataSet && dataSet->Active()) dataSet->First();
      break;
    case esStringGrid:
      if (settings_.StringGrid) settings_.StringGrid->SetRow(settings_.StringGrid->FixedRows());
      break;
    case esCustom:
      if (settings_.CustomSource) settings_.CustomSource->First();
      break;
  }
}

void TMorvatSourceCursor::NextRecord() {
  ++counter_;
  switch (settings_.ExportSource) {
    case esListView:
      break;  // the record in hand is found by position
    case esDataSet:
    case esDBGrid:
      if (IMorvatDataSet* dataSet = DataSetOf()) dataSet->Next();
      break;
    case esStringGrid:
      if (IMorvatStringGrid* grid = settings_.StringGrid;
          grid && grid->Row() < grid->RowCount() - 1)
        grid->SetRow(grid->Row() + 1);
      break;
    case esCustom:
      if (settings_.CustomSource) settings_.CustomSource->Next();
      break;
  }
}

void TMorvatSourceCursor::SkipRecords(int count, const std::function<void(int)>& onSkipped) {
  for (int i = 0; i < count; ++i) {
    NextRecord();
    if (onSkipped) onSkipped(counter_);
  }
}

int TMorvatSourceCursor::RecordsInRange(int total) const {
  int n = total - std::max(settings_.SkipRecCount, 0);
  if (settings_.ExportRecCount > 0) n = std::min(n, settings_.ExportRecCount);
  return std::max(n, 0);
}

bool TMorvatSourceCursor::EndOfData() const {
  switch (settings_.ExportSource) {
    case esListView:
      return !settings_.ListView || counter_ >= RecordsInRange(settings_.ListView->ItemCount());
    case esStringGrid: {
      IMorvatStringGrid* grid = settings_.StringGrid;
      return !grid || counter_ >= RecordsInRange(grid->RowCount() - grid->FixedRows());
    }
    case esDataSet:
    case esDBGrid: {
      IMorvatDataSet* dataSet = DataSetOf();
      return !dataSet || dataSet->Eof();
    }
    case esCustom:
      return !settings_.CustomSource || settings_.CustomSource->Eof();
  }
  return true;
}

TMorvatPosition TMorvatSourceCursor::SavePosition() const {
  TMorvatPosition position;
  switch (settings_.ExportSource) {
    case esListView:
      if (settings_.ListView) position.Index = std::max(settings_.ListView->SelectedIndex(), 0);
      break;
    case esDataSet:
    case esDBGrid:
      if (IMorvatDataSet* dataSet = DataSetOf()) position.Bookmark = dataSet->GetBookmark();
      break;
    case esStringGrid:
      if (settings_.StringGrid) position.Index = settings_.StringGrid->Row();
      break;
    case esCustom:
      if (settings_.CustomSource) position.Index = settings_.CustomSource->RecNo();
      break;
  }
  return position;
}

void TMorvatSourceCursor::RestorePosition(const TMorvatPosition& position) {
  switch (settings_.ExportSource) {
    case esListView:
      if (settings_.ListView && position.Index < settings_.ListView->ItemCount())
        settings_.ListView->SelectItem(position.Index);
      break;
    case esDataSet:
    case esDBGrid:
      if (IMorvatDataSet* dataSet = DataSetOf(); dataSet && position.Bookmark.has_value())
        dataSet->GotoBookmark(position.Bookmark);
      break;
    case esStringGrid:
      if (settings_.StringGrid) settings_.StringGrid->SetRow(position.Index);
      break;
    case esCustom:
      if (settings_.CustomSource) settings_.CustomSource->SetRecNo(position.Index);
      break;
  }
}

void TMorvatSourceCursor::FreePosition(TMorvatPosition& position) {
  if (IMorvatDataSet* dataSet = DataSetOf(); dataSet && position.Bookmark.has_value())
    dataSet->FreeBookmark(position.Bookmark);
  position.Bookmark.reset();
}

namespace {
// The data-set field a column reads: the field itself, or the field of a grid column.
int FieldOf(const TMorvatSourceSettings& settings, IMorvatDataSet& dataSet,
            const TMorvatColumn& column) {
  if (settings.ExportSource == esDBGrid)
    return dataSet.FindField(settings.DBGrid->ColumnFieldName(column.ColumnIndex));
  return column.ColumnIndex;
}
}  // namespace

std::string TMorvatSourceCursor::GetColumnValue(const TMorvatColumn& column) const {
  switch (settings_.ExportSource) {
    case esListView: {
      if (!settings_.ListView) return {};
      int item = std::max(settings_.SkipRecCount, 0) + counter_;
      if (column.ColumnIndex == 0) return settings_.ListView->ItemCaption(item);
      return settings_.ListView->SubItem(item, column.ColumnIndex - 1);
    }
    case esDataSet:
    case esDBGrid: {
      IMorvatDataSet* dataSet = DataSetOf();
      if (!dataSet) return {};
      int field = FieldOf(settings_, *dataSet, column);
      return field < 0 ? std::string() : dataSet->FieldText(field);
    }
    case esStringGrid:
      if (!settings_.StringGrid) return {};
      return settings_.StringGrid->Cell(column.ColumnIndex, settings_.StringGrid->Row());
    case esCustom:
      if (!settings_.CustomSource) return {};
      return settings_.CustomSource->ColumnValue(column.ColumnIndex);
  }
  return {};
}

bool TMorvatSourceCursor::IsNull(const TMorvatColumn& column) const {
  IMorvatDataSet* dataSet = DataSetOf();
  if (!dataSet) return false;
  int field = FieldOf(settings_, *dataSet, column);
  return field >= 0 && dataSet->FieldIsNull(field);
}

int TMorvatSourceCursor::ListItemCount() const {
  if (settings_.ExportSource != esListView || !settings_.ListView) return 0;
  return settings_.ListView->ItemCount();
}

std::optional<int> TMorvatSourceCursor::KnownRecordCount() const {
  switch (settings_.ExportSource) {
    case esListView:
      return settings_.ListView ? RecordsInRange(settings_.ListView->ItemCount()) : 0;
    case esStringGrid: {
      IMorvatStringGrid* grid = settings_.StringGrid;
      return grid ? RecordsInRange(grid->RowCount() - grid->FixedRows()) : 0;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace vorlix::exporter
