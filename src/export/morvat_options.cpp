#include "export/morvat_options.h"

namespace vorlix::exporter {

std::optional<int> MorvatSourceSettings::IntegerOption(std::string_view name) const {
  if (name == "ExportSource") return static_cast<int>(ExportSource);
  if (name == "CaptionRow") return CaptionRow;
  if (name == "SkipRecCount") return SkipRecCount;
  if (name == "ExportRecCount") return ExportRecCount;
  return std::nullopt;
}

std::optional<bool> MorvatSourceSettings::BooleanOption(std::string_view name) const {
  if (name == "OnlyVisibleFields") return OnlyVisibleFields;
  if (name == "AutoCalcStrType") return AutoCalcStrType;
  return std::nullopt;
}

const MorvatStringList* MorvatSourceSettings::StringsOption(std::string_view name) const {
  if (name == "ExportedFields") return &ExportedFields;
  return nullptr;
}

TMorvatSourceRef MorvatSourceSettings::SourceOption(std::string_view name) const {
  if (name == "DataSet" && DataSet) return DataSet;
  if (name == "CustomSource" && CustomSource) return CustomSource;
  if (name == "ListView" && ListView) return ListView;
  if (name == "DBGrid" && DBGrid) return DBGrid;
  if (name == "StringGrid" && StringGrid) return StringGrid;
  return {};
}

void MorvatSourceSettings::RemoveReference(const void* component) {
  if (!component) return;
  if (DataSet == component) DataSet = nullptr;
  if (CustomSource == component) CustomSource = nullptr;
  if (ListView == component) ListView = nullptr;
  if (DBGrid == component) DBGrid = nullptr;
  if (StringGrid == component) StringGrid = nullptr;
}

void MorvatSourceSettings::AssignSourceSettings(const MorvatSourceSettings& other) {
  ExportSource = other.ExportSource;
  DataSet = other.DataSet;
  CustomSource = other.CustomSource;
  ListView = other.ListView;
  DBGrid = other.DBGrid;
  StringGrid = other.StringGrid;
  ExportedFields = other.ExportedFields;
  CurrentRecordOnly = other.CurrentRecordOnly;
  GoToFirstRecord = other.GoToFirstRecord;
  ExportRecCount = other.ExportRecCount;
  SkipRecCount = other.SkipRecCount;
  OnlyVisibleFields = other.OnlyVisibleFields;
  AutoCalcStrType = other.AutoCalcStrType;
  CaptionRow = other.CaptionRow;
}

namespace {
template <typename T>
T* Get(const TMorvatSourceRef& ref) {
  T* const* p = std::get_if<T*>(&ref);
  return p ? *p : nullptr;
}
}  // namespace

void MorvatSourceSettings::ReadFrom(const IMorvatOptionOwner& owner) {
  *this = MorvatSourceSettings();
  if (auto v = owner.IntegerOption("ExportSource")) ExportSource = static_cast<TMorvatSource>(*v);
  DataSet = Get<IMorvatDataSet>(owner.SourceOption("DataSet"));
  CustomSource = Get<TmvCustomSource>(owner.SourceOption("CustomSource"));
  ListView = Get<IMorvatListView>(owner.SourceOption("ListView"));
  DBGrid = Get<IMorvatDBGrid>(owner.SourceOption("DBGrid"));
  StringGrid = Get<IMorvatStringGrid>(owner.SourceOption("StringGrid"));
  if (const MorvatStringList* list = owner.StringsOption("ExportedFields")) ExportedFields = *list;
  if (auto v = owner.BooleanOption("OnlyVisibleFields")) OnlyVisibleFields = *v;
  if (auto v = owner.BooleanOption("AutoCalcStrType")) AutoCalcStrType = *v;
  if (auto v = owner.IntegerOption("CaptionRow")) CaptionRow = *v;
  if (auto v = owner.IntegerOption("SkipRecCount")) SkipRecCount = *v;
  if (auto v = owner.IntegerOption("ExportRecCount")) ExportRecCount = *v;
}

}  // namespace vorlix::exporter
