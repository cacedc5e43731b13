#pragma once
// One adapter per source kind: how a list view, a data set, a data-aware grid, a string grid
// and a custom source are checked, locked, stepped through, read and positioned. The cursor
// (source_cursor.h) picks the adapter of the selected kind and adds the record counter and
// range on top. Adapters hold no state: they work on the settings they are handed, so a
// change to the settings is seen at once.

#include <optional>
#include <string>

#include "export/morvat_options.h"

namespace vorlix::exporter {

class TMorvatColumn;
struct MorvatPosition;

class MorvatSourceAdapter {
 public:
  virtual ~MorvatSourceAdapter() = default;

  // The source reference (and for a grid over a data set, its data set) is set.
  virtual bool IsSet(const MorvatSourceSettings& s) const = 0;
  virtual bool IsActive(const MorvatSourceSettings&) const { return true; }
  virtual bool IsEmpty(const MorvatSourceSettings& s) const = 0;
  virtual void Lock(const MorvatSourceSettings&) const {}
  virtual void Unlock(const MorvatSourceSettings&) const {}
  virtual void First(const MorvatSourceSettings& s) const = 0;
  virtual void Next(const MorvatSourceSettings&) const {}
  // For a source that knows its record count without being walked (a list view, a string
  // grid): that count, 0 when the source is not set; the cursor ends by counting. Nullopt for
  // a source that is walked to its end.
  virtual std::optional<int> CountedRecords(const MorvatSourceSettings&) const {
    return std::nullopt;
  }
  // The end of a walked source (or an unset one).
  virtual bool Eof(const MorvatSourceSettings&) const { return true; }
  virtual void Save(const MorvatSourceSettings& s, MorvatPosition& position) const = 0;
  virtual void Restore(const MorvatSourceSettings& s, const MorvatPosition& position) const = 0;
  virtual void Free(const MorvatSourceSettings&, MorvatPosition&) const {}
  // Raw text of a column for the record in hand; `record` is the counter of the run.
  virtual std::string Value(const MorvatSourceSettings& s, int record,
                            const TMorvatColumn& column) const = 0;
  virtual bool IsNull(const MorvatSourceSettings&, const TMorvatColumn&) const { return false; }
  virtual int ListItemCount(const MorvatSourceSettings&) const { return 0; }
};

// The adapter of a source kind.
const MorvatSourceAdapter& SourceAdapter(TMorvatSource kind);

}  // namespace vorlix::exporter
