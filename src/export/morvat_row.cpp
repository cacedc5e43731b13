#include "export/morvat_row.h"

#include <algorithm>

#include "platform/plain_text.h"

namespace vorlix::exporter {

std::string TMorvatCol::GetValue(CellFormat format) {
  const TMorvatColumns& columns = row_->Columns();
  if (IsNull) {
    const TMorvatFormats* formats = columns.Formats();
    Data = row_->Normalize(formats ? formats->NullString() : std::string());
  } else if (format == CellFormat::kFormatted && ColumnIndex >= 0 &&
             ColumnIndex < columns.Count()) {
    const TMorvatColumn& column = columns[ColumnIndex];
    Data = FormatValue(Data, column.Format, column.ColType,
                       [this](const std::string& text) { return row_->Normalize(text); });
  }
  return row_->CellText(*this);
}

void TMorvatRow::Clear() {
  cols_.clear();
  index_.clear();
}

TMorvatCol& TMorvatRow::AddCol(const std::string& name, int columnIndex) {
  cols_.push_back(std::unique_ptr<TMorvatCol>(new TMorvatCol(*this)));
  TMorvatCol& col = *cols_.back();
  col.Name = platform::TrimControls(name);
  col.ColumnIndex = columnIndex;
  index_.emplace_back(name, static_cast<int>(cols_.size()) - 1);
  return col;
}

void TMorvatRow::SortIndex() {
  // Stable, so that among equal names the first column stays first.
  std::stable_sort(index_.begin(), index_.end(),
                   [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
}

void TMorvatRow::Build() {
  Clear();
  for (int i = 0; i < columns_->Count(); ++i) AddCol((*columns_)[i].Name, i);
  SortIndex();
}

TMorvatCol* TMorvatRow::Find(const std::string& name) {
  auto it = std::lower_bound(
      index_.begin(), index_.end(), name,
      [](const auto& entry, const std::string& key) { return CompareText(entry.first, key) < 0; });
  if (it == index_.end() || CompareText(it->first, name) != 0) return nullptr;
  return cols_[it->second].get();
}

void TMorvatRow::SetValue(const std::string& name, const std::string& text) {
  if (TMorvatCol* col = Find(name)) {
    col->Data = platform::TrimControls(text);
    col->IsNull = false;
  }
}

void TMorvatRow::SetValueOf(int position, const std::string& text, bool isNull) {
  // Build made one col per column, in column order.
  if (position < 0 || position >= Count() ||
      cols_[static_cast<size_t>(position)]->ColumnIndex != position)
    return;
  cols_[static_cast<size_t>(position)]->Data = platform::TrimControls(text);
  cols_[static_cast<size_t>(position)]->IsNull = isNull;
}

void TMorvatRow::SetNull(const std::string& name, bool isNull) {
  if (TMorvatCol* col = Find(name)) col->IsNull = isNull;
}

std::string TMorvatRow::Value(const std::string& name) {
  TMorvatCol* col = Find(name);
  return col ? col->Data : std::string();
}

}  // namespace vorlix::exporter
