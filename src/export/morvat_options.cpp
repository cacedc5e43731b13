#include "export/morvat_options.h"

#include <type_traits>

namespace vorlix::exporter {

namespace {

// Calls visit(name, field) with each source setting and its option name, in one list that the
// lookups by name, the copy and the reading from an owner all follow. The settings an owner does
// not offer by name carry an empty name.
template <class Fields, class Visit>
void ForEachSetting(Fields& f, Visit&& visit) {
  visit("ExportSource", f.ExportSource);
  visit("DataSet", f.DataSet);
  visit("CustomSource", f.CustomSource);
  visit("ListView", f.ListView);
  visit("DBGrid", f.DBGrid);
  visit("StringGrid", f.StringGrid);
  visit("ExportedFields", f.ExportedFields);
  visit("", f.CurrentRecordOnly);
  visit("", f.GoToFirstRecord);
  visit("ExportRecCount", f.ExportRecCount);
  visit("SkipRecCount", f.SkipRecCount);
  visit("OnlyVisibleFields", f.OnlyVisibleFields);
  visit("AutoCalcStrType", f.AutoCalcStrType);
  visit("CaptionRow", f.CaptionRow);
}

// The kinds of option a setting of type T is offered as.
template <class T>
constexpr bool kIsInteger = std::is_same_v<T, int> || std::is_enum_v<T>;
template <class T>
constexpr bool kIsBoolean = std::is_same_v<T, bool>;
template <class T>
constexpr bool kIsStrings = std::is_same_v<T, MorvatStringList>;
template <class T>
constexpr bool kIsSource = std::is_pointer_v<T>;

template <typename T>
T Get(const TMorvatSourceRef& ref) {
  const T* p = std::get_if<T>(&ref);
  return p ? *p : nullptr;
}

}  // namespace

std::optional<int> MorvatSourceSettings::IntegerOption(std::string_view name) const {
  std::optional<int> value;
  ForEachSetting(*this, [&](std::string_view option, const auto& field) {
    if constexpr (kIsInteger<std::decay_t<decltype(field)>>)
      if (option == name) value = static_cast<int>(field);
  });
  return value;
}

std::optional<bool> MorvatSourceSettings::BooleanOption(std::string_view name) const {
  std::optional<bool> value;
  ForEachSetting(*this, [&](std::string_view option, const auto& field) {
    if constexpr (kIsBoolean<std::decay_t<decltype(field)>>)
      if (!option.empty() && option == name) value = field;
  });
  return value;
}

const MorvatStringList* MorvatSourceSettings::StringsOption(std::string_view name) const {
  const MorvatStringList* value = nullptr;
  ForEachSetting(*this, [&](std::string_view option, const auto& field) {
    if constexpr (kIsStrings<std::decay_t<decltype(field)>>)
      if (option == name) value = &field;
  });
  return value;
}

TMorvatSourceRef MorvatSourceSettings::SourceOption(std::string_view name) const {
  TMorvatSourceRef value;
  ForEachSetting(*this, [&](std::string_view option, const auto& field) {
    if constexpr (kIsSource<std::decay_t<decltype(field)>>)
      if (option == name && field) value = field;
  });
  return value;
}

void MorvatSourceSettings::RemoveReference(const void* component) {
  if (!component) return;
  ForEachSetting(*this, [&](std::string_view, auto& field) {
    if constexpr (kIsSource<std::decay_t<decltype(field)>>)
      if (field == component) field = nullptr;
  });
}

void MorvatSourceSettings::AssignSourceSettings(const MorvatSourceSettings& other) {
  static_cast<MorvatSourceFields&>(*this) = other;
}

void MorvatSourceSettings::ReadFrom(const IMorvatOptionOwner& owner) {
  static_cast<MorvatSourceFields&>(*this) = MorvatSourceFields();
  ForEachSetting(*this, [&](std::string_view option, auto& field) {
    using T = std::decay_t<decltype(field)>;
    if (option.empty()) return;
    if constexpr (kIsInteger<T>) {
      if (auto v = owner.IntegerOption(option)) field = static_cast<T>(*v);
    } else if constexpr (kIsBoolean<T>) {
      if (auto v = owner.BooleanOption(option)) field = *v;
    } else if constexpr (kIsStrings<T>) {
      if (const MorvatStringList* list = owner.StringsOption(option)) field = *list;
    } else {
      static_assert(kIsSource<T>);
      field = Get<T>(owner.SourceOption(option));
    }
  });
}

}  // namespace vorlix::exporter
