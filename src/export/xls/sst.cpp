#include "export/xls/sst.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "export/xls/biff_record.h"
#include "platform/little_endian.h"

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

namespace {

constexpr size_t kBlockChars = 32 * 1024;

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 33);
}

// Hash of the code units, four at a time.
uint64_t Hash(std::u16string_view text) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
  size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    h = (h ^ word) * 0x100000001B3ull;
    h ^= h >> 29;
  }
  for (; i < text.size(); ++i) h = (h ^ text[i]) * 0x100000001B3ull;
  return Mix(h);
}

}  // namespace

TsstStrings::TsstStrings() : table_(1024) {}

const char16_t* TsstStrings::Store(const std::u16string& text) {
  if (text.empty()) return u"";
  if (blocks_.empty() || blockUsed_ + text.size() > blockSize_) {
    blockSize_ = std::max(kBlockChars, text.size());
    blocks_.push_back(std::make_unique<char16_t[]>(blockSize_));
    blockUsed_ = 0;
  }
  char16_t* p = blocks_.back().get() + blockUsed_;
  std::copy(text.begin(), text.end(), p);
  blockUsed_ += text.size();
  return p;
}

void TsstStrings::Grow() {
  std::vector<Slot> table(table_.size() * 2);
  const size_t mask = table.size() - 1;
  for (const Slot& slot : table_) {
    if (slot.entry == 0) continue;
    size_t i = slot.hash & mask;
    while (table[i].entry != 0) i = (i + 1) & mask;
    table[i] = slot;
  }
  table_.swap(table);
}

uint32_t TsstStrings::AddString(const std::u16string& text) {
  ++totalReferences_;
  const std::u16string_view view(text);
  const size_t mask = table_.size() - 1;
  const uint32_t hash = static_cast<uint32_t>(Hash(view));
  size_t i = hash & mask;
  for (; table_[i].entry != 0; i = (i + 1) & mask)
    if (table_[i].hash == hash && Entry(table_[i].entry - 1) == view) return table_[i].entry - 1;
  if (text.size() > 0xFFFF) throw std::length_error("A text cell holds more than 65535 characters");
  const uint32_t index = static_cast<uint32_t>(entries_.size());
  entries_.push_back({Store(text), static_cast<uint32_t>(text.size())});
  table_[i] = {hash, index + 1};
  if (entries_.size() * 2 > table_.size()) Grow();
  struct Planner {
    std::vector<uint16_t>& plan;
    bool InFirstRecord() const { return plan.empty(); }
    void NewRecord(size_t fill) { plan.push_back(static_cast<uint16_t>(fill)); }
    void Header() {}
    void Flags() {}
    void Chars(size_t, size_t) {}
  } planner{plan_};
  PlaceString(text.size(), planned_, planner);
  return index;
}

std::vector<uint16_t> TsstStrings::RecordPlan() const {
  std::vector<uint16_t> plan = plan_;
  plan.push_back(static_cast<uint16_t>(planned_));
  return plan;
}

uint16_t TsstStrings::StringsPerBucket() const {
  const size_t perBucket = entries_.size() / 128 + 1;
  return static_cast<uint16_t>(std::max<size_t>(8, perBucket));
}

uint64_t TsstStrings::SavedSize() const {
  uint64_t size = 0;
  for (uint16_t length : RecordPlan()) size += 4 + length;
  const uint64_t buckets = (entries_.size() + StringsPerBucket() - 1) / StringsPerBucket();
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
    std::u16string_view text;
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
      stream.WriteU16(static_cast<uint16_t>(text.size()));
      stream.WriteU8(kUncompressed);
      position += 3;
    }
    void Flags() {
      stream.WriteU8(kUncompressed);
      position += 1;
    }
    void Chars(size_t from, size_t count) {
      bytes.resize(2 * count);
      for (size_t i = 0; i < count; ++i)
        platform::StoreLittleEndian<uint16_t>(bytes.data() + 2 * i, text[from + i]);
      if (count > 0) stream.Write(bytes.data(), bytes.size());
      position += bytes.size();
    }
  } writer{stream, plan, next, {}, bytes};
  writer.recordStart = streamPosition;
  writer.position = streamPosition + 12;
  for (size_t k = 0; k < entries_.size(); ++k) {
    writer.text = Entry(static_cast<uint32_t>(k));
    PlaceString(writer.text.size(), fill, writer);
    if (k % perBucket == 0)
      buckets.emplace_back(static_cast<uint32_t>(writer.stringStart),
                           static_cast<uint16_t>(writer.stringStart - writer.stringRecordStart));
  }
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
