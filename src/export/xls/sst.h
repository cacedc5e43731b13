#pragma once
// Shared string table: every text cell refers to one entry by index. While strings are added
// the table plans how it will be cut into an SST record and CONTINUE records, so that it is
// written in one pass at the end. A string that does not fit what is left of a record starts
// the next one; a string longer than one record (over 4110 characters), and a first string
// that does not fit behind the SST record's counts, are cut between characters, and each
// continuation begins with a fresh flags byte. An EXTSST record follows the table.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/xls/xls_stream.h"

namespace vorlix::exporter::xls {

class TsstStrings {
 public:
  TsstStrings();

  // The SST index of text (UTF-16), adding it when it is new.
  uint32_t AddString(const std::u16string& text);

  uint32_t TotalReferences() const { return totalReferences_; }
  uint32_t UniqueStrings() const { return static_cast<uint32_t>(entries_.size()); }
  std::u16string_view Entry(uint32_t index) const {
    return {entries_[index].chars, entries_[index].length};
  }
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

  // Characters of the entries live in blocks that never move; entries refer to them in order
  // of first appearance; an open-addressing table of entry numbers finds a text again. It
  // stays rather than std::unordered_map<std::u16string_view, uint32_t> over the same blocks
  // because bench/export/xls/sst_bench measured it 2.5 to 4.5 times faster (CPU time, 2-core
  // machine): a 65,000-row member table's 325,000 cells in 13-14 ms against 40-52 ms, one
  // million unique texts in 190-220 ms against 930-980 ms.
  struct Text {
    const char16_t* chars;
    uint32_t length;
  };
  const char16_t* Store(const std::u16string& text);
  void Grow();
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  size_t blockUsed_ = 0, blockSize_ = 0;
  std::vector<Text> entries_;
  struct Slot {
    uint32_t hash = 0;
    uint32_t entry = 0;  // entry number + 1; 0 = free
  };
  std::vector<Slot> table_;
  std::vector<uint16_t> plan_;
  size_t planned_ = 8;
  uint32_t totalReferences_ = 0;
};

}  // namespace vorlix::exporter::xls
