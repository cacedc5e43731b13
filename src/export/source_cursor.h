#pragma once
// The source operations of an export run, over a set of source settings and a record counter.
// An exporter uses one over its own settings and RecordCounter; a spreadsheet sheet uses one
// over the sheet's settings and the sheet's record counter; the width pass uses one over the
// settings its columns were built from.

#include <functional>
#include <optional>
#include <string>

#include "export/morvat_options.h"

namespace vorlix::exporter {

class TMorvatColumn;
class MorvatSourceAdapter;

// A remembered source position (SavePosition); index serves lists, grids and custom sources.
struct MorvatPosition {
  int index = 0;
  TMorvatBookmark bookmark;
};

class MorvatSourceCursor {
 public:
  // Both are referenced, not copied: the counter is advanced by FirstRecord and NextRecord,
  // and changes to the settings (the list-view clamp) are seen at once.
  MorvatSourceCursor(const MorvatSourceSettings& settings, int& recordCounter)
      : settings_(settings), counter_(recordCounter) {}

  // Raises 34014 with the source name when the selected source reference is not set.
  void CheckSource() const;
  bool IsSourceActive() const;
  bool IsSourceEmpty() const;
  void LockSource();
  void UnlockSource();
  // Counter := 0, then the source moves to its first record.
  void FirstRecord();
  // Counter + 1, then the source moves on.
  void NextRecord();
  // `count` times NextRecord, each followed by onSkipped(counter) when given.
  void SkipRecords(int count, const std::function<void(int)>& onSkipped = {});
  bool EndOfData() const;
  MorvatPosition SavePosition() const;
  void RestorePosition(const MorvatPosition& position);
  void FreePosition(MorvatPosition& position);
  // Raw text of a column for the record in hand (no formatting).
  std::string GetColumnValue(const TMorvatColumn& column) const;
  bool IsNull(const TMorvatColumn& column) const;

  std::string SourceName() const { return exporter::SourceName(settings_.ExportSource); }
  int RecordCounter() const { return counter_; }
  // Item count of a list-view source (0 for other kinds or an unset list).
  int ListItemCount() const;
  // Records in range (after the skip, bounded by ExportRecCount) when the source knows its
  // count without being walked: a list view or a string grid. Nullopt for the other kinds.
  std::optional<int> KnownRecordCount() const;

 private:
  // The adapter of the selected source kind (source_adapters.h).
  const MorvatSourceAdapter& Adapter() const;
  // Records of a list view or string grid in range (after skip, bounded by ExportRecCount).
  int RecordsInRange(int total) const;

  const MorvatSourceSettings& settings_;
  int& counter_;
};

// The cursor's position when this is made, freed when it goes (also when an error passes).
class MorvatSavedPosition {
 public:
  explicit MorvatSavedPosition(MorvatSourceCursor& cursor)
      : cursor_(cursor), position_(cursor.SavePosition()) {}
  ~MorvatSavedPosition() { cursor_.FreePosition(position_); }
  MorvatSavedPosition(const MorvatSavedPosition&) = delete;
  MorvatSavedPosition& operator=(const MorvatSavedPosition&) = delete;

  // Moves the source back to the saved position.
  void Restore() { cursor_.RestorePosition(position_); }

 private:
  MorvatSourceCursor& cursor_;
  MorvatPosition position_;
};

}  // namespace vorlix::exporter
