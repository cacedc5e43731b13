#pragma once
// Options read by name. The column builder does not know the class of its owner: it asks the
// owner (an exporter or a spreadsheet sheet) for each option by its option name, and an owner
// that does not offer an option answers that it is absent.
//
// MorvatSourceSettings holds the source settings that exporters and sheets share and answers
// their names; owners derive from it and override the getters to offer more names, calling the
// base for the rest.

#include <functional>
#include <optional>
#include <string_view>
#include <variant>

#include "export/morvat_formats.h"
#include "export/morvat_sources.h"
#include "export/morvat_strings.h"
#include "export/morvat_types.h"

namespace vorlix::exporter {

// One of the five source references, or none.
using TMorvatSourceRef = std::variant<std::monostate, IMorvatDataSet*, TmvCustomSource*,
                                      IMorvatListView*, IMorvatDBGrid*, IMorvatStringGrid*>;

class IMorvatOptionOwner {
 public:
  virtual ~IMorvatOptionOwner() = default;
  // "ExportSource" (a TMorvatSource value), "CaptionRow", "SkipRecCount", "ExportRecCount".
  virtual std::optional<int> IntegerOption(std::string_view) const { return std::nullopt; }
  // "OnlyVisibleFields", "AutoCalcStrType".
  virtual std::optional<bool> BooleanOption(std::string_view) const { return std::nullopt; }
  // "ExportedFields", "UserFormats", "ColumnsWidth", "Captions", "ColumnsAlign"; null = absent.
  virtual const MorvatStringList* StringsOption(std::string_view) const { return nullptr; }
  // "Formats"; null = absent.
  virtual const TMorvatFormats* FormatsOption(std::string_view) const { return nullptr; }
  // "DataSet", "CustomSource", "ListView", "DBGrid", "StringGrid"; monostate = absent or unset.
  virtual TMorvatSourceRef SourceOption(std::string_view) const { return {}; }
  // "OnFetchedRecord": a handler taking RecNo, with the owner bound as sender; empty = absent.
  virtual std::function<void(int)> RecNoEventOption(std::string_view) const { return {}; }
};

// The source settings of an exporter or a sheet (defaults of the exporter), as plain fields.
struct MorvatSourceFields {
  TMorvatSource ExportSource = esDataSet;
  IMorvatDataSet* DataSet = nullptr;
  TmvCustomSource* CustomSource = nullptr;
  IMorvatListView* ListView = nullptr;
  IMorvatDBGrid* DBGrid = nullptr;
  IMorvatStringGrid* StringGrid = nullptr;
  MorvatStringList ExportedFields;
  bool CurrentRecordOnly = false;
  bool GoToFirstRecord = true;
  int ExportRecCount = 0;
  int SkipRecCount = 0;
  bool OnlyVisibleFields = false;
  bool AutoCalcStrType = false;
  int CaptionRow = -1;
};

// The source settings, answered by their option names.
class MorvatSourceSettings : public IMorvatOptionOwner, public MorvatSourceFields {
 public:
  // Answers "ExportSource", the five source names, "ExportedFields", "OnlyVisibleFields",
  // "AutoCalcStrType", "CaptionRow", "SkipRecCount" and "ExportRecCount".
  std::optional<int> IntegerOption(std::string_view name) const override;
  std::optional<bool> BooleanOption(std::string_view name) const override;
  const MorvatStringList* StringsOption(std::string_view name) const override;
  TMorvatSourceRef SourceOption(std::string_view name) const override;

  // Clears every source reference that points to `component`, which is going away.
  void RemoveReference(const void* component);

  // Copies the settings above (not the rest of a derived owner).
  void AssignSourceSettings(const MorvatSourceSettings& other);
  // Reads the settings above from an owner by name; absent names keep the defaults.
  void ReadFrom(const IMorvatOptionOwner& owner);
};

}  // namespace vorlix::exporter
