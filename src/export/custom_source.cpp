#include "export/custom_source.h"

#include "export/morvat_strings.h"
#include "platform/number_picture.h"

namespace vorlix::exporter {

std::string VariantText(const TmvVariant& value) {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool v) const { return v ? "True" : "False"; }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return platform::FormatGeneral(v); }
    std::string operator()(const std::string& v) const { return v; }
  };
  return std::visit(Visitor{}, value);
}

void TmvCustomColumn::SetColumnName(const std::string& name) {
  if (name.empty()) return;
  TmvCustomColumn* other = source_->FindColumn(name);
  if (other && other != this) return;
  name_ = name;
}

int TmvCustomColumn::Index() const {
  for (int i = 0; i < source_->ColumnCount(); ++i)
    if (&source_->Column(i) == this) return i;
  return -1;
}

TmvCustomColumn& TmvCustomSource::AddColumn() {
  int n = 0;
  while (FindColumn("Column" + std::to_string(n))) ++n;
  columns_.push_back(
      std::unique_ptr<TmvCustomColumn>(new TmvCustomColumn(*this, "Column" + std::to_string(n))));
  return *columns_.back();
}

TmvCustomColumn* TmvCustomSource::FindColumn(const std::string& name) const {
  for (const auto& column : columns_)
    if (SameText(column->ColumnName(), name)) return column.get();
  return nullptr;
}

void TmvCustomSource::DeleteColumn(int index) {
  columns_.erase(columns_.begin() + index);
}

void TmvCustomSource::First() {
  recNo_ = 1;
  eof_ = false;
}

void TmvCustomSource::Next() {
  if (!OnGetNextRecord) return;
  bool eof = false;
  OnGetNextRecord(*this, recNo_, eof);
  if (eof)
    eof_ = true;
  else
    ++recNo_;
}

void TmvCustomSource::SetRecNo(int recNo) {
  recNo_ = recNo;
  eof_ = false;
}

std::string TmvCustomSource::ColumnValue(int index) const {
  if (!OnGetColumnValue || index < 0 || index >= ColumnCount()) return {};
  TmvVariant value;
  OnGetColumnValue(const_cast<TmvCustomSource&>(*this), recNo_, *columns_[index], value);
  return VariantText(value);
}

}  // namespace vorlix::exporter
