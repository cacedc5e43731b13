#pragma once
// The column model: the exported columns, rebuilt from the owner's options before every run.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/morvat_formats.h"
#include "export/morvat_options.h"
#include "export/source_cursor.h"

namespace vorlix::exporter {

class TMorvatColumn {
 public:
  int ColumnIndex = 0;  // position in the source (list-view column; 0 = item caption)
  TMorvatColType ColType = ectString;
  std::string Name;     // key in name=value option lists, in ExportedFields and in the row
  std::string Caption;  // text of the caption row
  int Width = 0;        // in characters
  TMorvatColAlign ColAlign = ecaLeft;
  std::string Format;
  int AggregateIndex = 0;  // set by the spreadsheet writer
};

// Whether a data set's binary fields become columns when no field list names the columns.
enum class BlobFields { kLeftOut, kIncluded };

class TMorvatColumns {
 public:
  // `normalize` is the owner's NormalizeText, used by the width pass.
  TMorvatColumns(const IMorvatOptionOwner& owner, TMorvatNormalize normalize = {})
      : owner_(&owner), normalize_(std::move(normalize)) {}
  TMorvatColumns(const TMorvatColumns&) = delete;
  TMorvatColumns& operator=(const TMorvatColumns&) = delete;

  // Empties the collection and rebuilds it from the owner's options.
  void Fill(BlobFields blobs = BlobFields::kLeftOut);
  // The width pass: raises each Width to its caption's length and to the longest formatted
  // value of the records in range, judged with the options read at the last Fill and a
  // counter of its own; the source position is restored afterwards.
  void CalcColWidths();

  int Count() const { return static_cast<int>(columns_.size()); }
  TMorvatColumn& operator[](int index) { return *columns_.at(index); }
  const TMorvatColumn& operator[](int index) const { return *columns_.at(index); }
  TMorvatColumn& Add();
  void Clear() { columns_.clear(); }
  // First column whose Name equals `name` case-insensitively, else -1.
  int IndexOfName(const std::string& name) const;
  void ResetAggregateIndexes();

  const IMorvatOptionOwner& Owner() const { return *owner_; }
  // Option values read at the last Fill.
  const MorvatSourceSettings& ReadSettings() const { return settings_; }
  // The owner's formats at the last Fill; null when the owner offers none.
  const TMorvatFormats* Formats() const { return hasFormats_ ? &formats_ : nullptr; }
  int RecordCounter() const { return counter_; }

 private:
  void FillListView(IMorvatListView& list);
  void FillDataSet(IMorvatDataSet& dataSet);
  void FillDBGrid(IMorvatDBGrid& grid);
  // Whether a field of the data set stays out: a blob when no fields are named and blobs are
  // not included, or a hidden field when only visible ones are exported.
  bool LeavesOut(IMorvatDataSet& dataSet, int field) const;
  void FillStringGrid(IMorvatStringGrid& grid);
  void FillCustom(TmvCustomSource& source);
  // Caption, Width, Format and ColAlign from the option lists, given the source's own values.
  void Finish(TMorvatColumn& column, const std::string& sourceCaption, int sourceWidth);
  TMorvatColType Guess(const std::string& text) const;

  const IMorvatOptionOwner* owner_;
  TMorvatNormalize normalize_;
  std::vector<std::unique_ptr<TMorvatColumn>> columns_;
  MorvatSourceSettings settings_;
  TMorvatFormats formats_;
  bool hasFormats_ = false;
  std::optional<MorvatStringList> userFormats_, columnsWidth_, captions_, columnsAlign_;
  std::function<void(int)> onFetchedRecord_;
  int counter_ = 0;
  BlobFields blobs_ = BlobFields::kLeftOut;
};

}  // namespace vorlix::exporter
