#pragma once
// TmvCustomSource: an event-driven source whose records and values come from handlers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "export/morvat_types.h"

namespace vorlix::exporter {

// A value handed back by OnGetColumnValue; its text form is what the column exports.
using TmvVariant = std::variant<std::monostate, bool, int64_t, double, std::string>;
std::string VariantText(const TmvVariant& value);

class TmvCustomSource;

class TmvCustomColumn {
 public:
  const std::string& ColumnName() const { return name_; }
  // Ignored when the name is empty or another column of the source uses it (any case).
  void SetColumnName(const std::string& name);

  TMorvatColType ColumnType = ectString;
  std::string Caption;
  int Width = 15;
  int Size = 15;

  int Index() const;  // position in the source's columns
  TmvCustomSource& Source() const { return *source_; }

 private:
  friend class TmvCustomSource;
  TmvCustomColumn(TmvCustomSource& source, std::string name)
      : Caption(name), source_(&source), name_(std::move(name)) {}
  TmvCustomSource* source_;
  std::string name_;
};

class TmvCustomSource {
 public:
  TmvCustomSource() = default;
  TmvCustomSource(const TmvCustomSource&) = delete;
  TmvCustomSource& operator=(const TmvCustomSource&) = delete;

  // Adds a column named "Column<n>" with the smallest n from 0 that no column uses; its
  // caption starts equal to its name.
  TmvCustomColumn& AddColumn();
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TmvCustomColumn& Column(int index) const { return *columns_.at(index); }
  // The column named `name` (case-insensitive), null when none.
  TmvCustomColumn* FindColumn(const std::string& name) const;
  void DeleteColumn(int index);

  // Sender, RecNo, Eof (comes in false).
  std::function<void(TmvCustomSource&, int, bool&)> OnGetNextRecord;
  // Sender, RecNo, Column, Value.
  std::function<void(TmvCustomSource&, int, TmvCustomColumn&, TmvVariant&)> OnGetColumnValue;

  int RecNo() const { return recNo_; }
  // Record number := 1; a reported end is cleared.
  void First();
  // Asks OnGetNextRecord for the current number: an end marks the end, else the number grows.
  void Next();
  // The end was reported, or there is no OnGetNextRecord handler.
  bool Eof() const { return eof_ || !OnGetNextRecord; }
  // Record number := saved; the end mark is cleared.
  void SetRecNo(int recNo);
  // Text of a column's value for the current record; empty without a handler.
  std::string ColumnValue(int index) const;

 private:
  friend class TmvCustomColumn;
  std::vector<std::unique_ptr<TmvCustomColumn>> columns_;
  int recNo_ = 1;
  bool eof_ = false;
};

}  // namespace vorlix::exporter
