#include "export/xls/sst.h"

#include <algorithm>
#include <stdexcept>

#include "export/xls/biff_record.h"

namespace vorlix::exporter::xls {

namespace {

constexpr size_t kStringHeader = 3;  // character count (16 bits) and flags byte
constexpr uint8_t kUncompressed = 0x01;

}  // namespace

template <typename Layout>
void TsstStrings::PlaceString(size_t length, size_t& fill, Layout&& layout) {
  const size_t n = kStringHeader + 2 * length;
  // Readers expect the first string to begin in the SST record itself: one that does not fit
  // behind the two counts is cut there, like a string longer than a record, not moved on.
  const bool firstDoesNotFit = layout.InFirstRecord() && fill == 8 && fill + n > kMaxRecordData;
  if (n <= kMaxRecordData && !firstDoesNotFit) {
    if (fill + n > kMaxRecordData) {
      layout.NewRecord(fill);
      fill = 0;
    }
    layout.Header();
    layout.Chars(0, length);
    fill += n;
    return;
  }
  // Cut between characters: start here when the header and one character fit.
  if (fill + kStringHeader + 2 > kMaxRecordData) {
    layout.NewRecord(fill);
    fill = 0;
  }
  layout.Header();
  fill += kStringHeader;
  size_t k = std::min(length, (kMaxRecordData - fill) / 2);
  layout.Chars(0, k);
  fill += 2 * k;
  size_t position = k;
  while (position < length) {
    layout.NewRecord(fill);
    fill = 1;
    layout.Flags();
    k = std::min(length - position, (kMaxRecordData - 1) / 2);
    layout.Chars(position, k);
    fill += 2 * k;
    position += k;
  }
}

uint32_t TsstStrings::AddString(std::u16string_view text) {
  if (text.size() > StringPool::kMaxLength)
    throw std::length_error("A text cell holds more than 65535 characters");
  ++totalReferences_;
  const StringPool::Found found = strings_.Add(text);
  if (!found.added) return found.index;
  struct Planner {
    std::vector<uint16_t>& plan;
    bool InFirstRecord() const { return plan.empty(); }
    void NewRecord(size_t fill) { plan.push_back(static_cast<uint16_t>(fill)); }
    void Header() {}
    void Flags() {}
    void Chars(size_t, size_t) {}
  } planner{plan_};
  PlaceString(text.size(), planned_, planner);
  return found.index;
}

std::vector<uint16_t> TsstStrings::RecordPlan() const {
  std::vector<uint16_t> plan = plan_;
  plan.push_back(static_cast<uint16_t>(planned_));
  return plan;
}

uint16_t TsstStrings::StringsPerBucket() const {
  const size_t perBucket = UniqueStrings() / 128 + 1;
  return static_cast<uint16_t>(std::max<size_t>(8, perBucket));
}

uint64_t TsstStrings::SavedSize() const {
  uint64_t size = 0;
  for (uint16_t length : RecordPlan()) size += 4 + length;
  const uint64_t buckets = (UniqueStrings() + StringsPerBucket() - 1) / StringsPerBucket();
  return size + 4 + 2 + 8 * buckets;
}

void TsstStrings::SaveToStream(XlsByteSink& stream, uint64_t streamPosition) const {
  const std::vector<uint16_t> plan = RecordPlan();
  size_t next = 0;
  stream.WriteU16(rid::kSst);
  stream.WriteU16(plan[next++]);
  stream.WriteU32(totalReferences_);
  stream.WriteU32(UniqueStrings());
  size_t fill = 8;
  const uint16_t perBucket = StringsPerBucket();
  std::vector<std::pair<uint32_t, uint16_t>> buckets;  // string position, offset in its record

  // Characters go out through a small buffer, converted to little-endian bytes.
  std::vector<uint8_t> bytes;
  struct Writer {
    XlsByteSink& stream;
    const std::vector<uint16_t>& plan;
    size_t& next;
    StringPool::Held text;
    std::vector<uint8_t>& bytes;
    uint64_t position = 0;     // of the next byte in the stream
    uint64_t recordStart = 0;  // of the current record's header
    uint64_t stringStart = 0;
    uint64_t stringRecordStart = 0;  // header of the record the string begins in
    bool InFirstRecord() const { return next == 1; }
    void NewRecord(size_t fill) {
      if (next >= plan.size() || plan[next - 1] != fill)
        throw std::logic_error("Shared string table differs from its record plan");
      stream.WriteU16(rid::kContinue);
      stream.WriteU16(plan[next++]);
      recordStart = position;
      position += 4;
    }
    void Header() {
      stringStart = position;
      stringRecordStart = recordStart;
      stream.WriteU16(text.length);
      stream.WriteU8(kUncompressed);
      position += 3;
    }
    void Flags() {
      stream.WriteU8(kUncompressed);
      position += 1;
    }
    // Every string is written with two bytes a character; one held with one byte a character
    // is widened on the way.
    void Chars(size_t from, size_t count) {
      if (count == 0) return;
      if (text.wide) {
        stream.Write(text.chars + 2 * from, 2 * count);
      } else {
        bytes.assign(2 * count, 0);
        for (size_t i = 0; i < count; ++i) bytes[2 * i] = text.chars[from + i];
        stream.Write(bytes.data(), bytes.size());
      }
      position += 2 * count;
    }
  } writer{stream, plan, next, {}, bytes};
  writer.recordStart = streamPosition;
  writer.position = streamPosition + 12;
  uint32_t k = 0;
  strings_.ForEach([&](const StringPool::Held& text) {
    writer.text = text;
    PlaceString(text.length, fill, writer);
    if (k++ % perBucket == 0)
      buckets.emplace_back(static_cast<uint32_t>(writer.stringStart),
                           static_cast<uint16_t>(writer.stringStart - writer.stringRecordStart));
  });
  if (next != plan.size() || plan.back() != fill)
    throw std::logic_error("Shared string table differs from its record plan");

  // EXTSST: strings per bucket, then per bucket the stream position of its first string, its
  // offset inside its record and two reserved bytes.
  stream.WriteU16(rid::kExtSst);
  stream.WriteU16(static_cast<uint16_t>(2 + 8 * buckets.size()));
  stream.WriteU16(perBucket);
  for (const auto& [position, offset] : buckets) {
    stream.WriteU32(position);
    stream.WriteU16(offset);
    stream.WriteU16(0);
  }
}

}  // namespace vorlix::exporter::xls
