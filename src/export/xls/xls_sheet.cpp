#include "export/xls/xls_sheet.h"

namespace vorlix::exporter::xls {

TxlsSheet::TxlsSheet() {
  OnlyVisibleFields = true;
}

TxlsSheet::~TxlsSheet() = default;

const MorvatStringList* TxlsSheet::StringsOption(std::string_view name) const {
  if (name == "Captions") return &Captions;
  if (name == "UserFormats") return &UserFormats;
  if (name == "ColumnsWidth") return &ColumnsWidth;
  return MorvatSourceSettings::StringsOption(name);
}

const TMorvatFormats* TxlsSheet::FormatsOption(std::string_view name) const {
  if (name == "Formats") return &Formats;
  return MorvatSourceSettings::FormatsOption(name);
}

TxlsSheet& TxlsSheets::Add() {
  sheets_.push_back(std::make_unique<TxlsSheet>());
  sheets_.back()->Title = "Sheet " + std::to_string(sheets_.size());
  return *sheets_.back();
}

void TxlsSheets::Delete(int index) {
  sheets_.erase(sheets_.begin() + index);
}

int TxlsSheets::IndexOf(const TxlsSheet* sheet) const {
  for (size_t i = 0; i < sheets_.size(); ++i)
    if (sheets_[i].get() == sheet) return static_cast<int>(i);
  return -1;
}

}  // namespace vorlix::exporter::xls
