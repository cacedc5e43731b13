#pragma once
// Shared string table: every text cell refers to one entry by index. While strings are added
// the table plans how it will be cut into an SST record and CONTINUE records, so that it is
// written in one pass at the end. A string that does not fit what is left of a record starts
// the next one; a string longer than one record (over 4110 characters), and a first string
// that does not fit behind the SST record's counts, are cut between characters, and each
// continuation begins with a fresh flags byte. An EXTSST record follows the table.

#include <cstdint>
#include <string_view>
#include <vector>

#include "export/xls/string_pool.h"
#include "export/xls/xls_stream.h"

namespace vorlix::exporter::xls {

class TsstStrings {
 public:
  // The SST index of text (UTF-16), adding it when it is new.
  uint32_t AddString(std::u16string_view text);

  uint32_t TotalReferences() const { return totalReferences_; }
  uint32_t UniqueStrings() const { return strings_.Size(); }
  // Data lengths of the SST record and its CONTINUE records, as planned so far (the record
  // being planned included).
  std::vector<uint16_t> RecordPlan() const;

  // Writes the SST record and its CONTINUE records, then EXTSST, the index readers use to
  // find every n-th string; `streamPosition` is where the SST record starts in the stream.
  void SaveToStream(XlsByteSink& stream, uint64_t streamPosition = 0) const;
  // Bytes SaveToStream writes (record headers included).
  uint64_t SavedSize() const;
  // Strings per EXTSST bucket: at least 8, and at most 128 buckets.
  uint16_t StringsPerBucket() const;

 private:
  // Places a string of length characters into the records; the writer and the planner share
  // it, so the header lengths always equal the bytes that follow them. onHeader is called to
  // close the current record and open the next one; onBytes receives where characters go.
  template <typename Layout>
  static void PlaceString(size_t length, size_t& fill, Layout&& layout);

  // The distinct texts, held in BIFF8's own forms; written always with two bytes a character.
  StringPool strings_;
  std::vector<uint16_t> plan_;
  size_t planned_ = 8;
  uint32_t totalReferences_ = 0;
};

}  // namespace vorlix::exporter::xls
