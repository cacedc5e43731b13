#include "export/xls/string_pool.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "platform/little_endian.h"

namespace vorlix::exporter::xls {

namespace {

constexpr size_t kFirstGroups = 1024;           // 64 KiB, 9,830 texts before it grows
constexpr size_t kMaxBlocks = size_t{1} << 14;  // positions are 32 bits

// The hash of text's code units, four at a time, and whether any of them needs two bytes.
uint64_t HashText(std::u16string_view text, bool& wide) {
  constexpr uint64_t kPrime = 0x100000001B3ull;
  uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size(), all = 0;
  size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    all |= word;
    h = (h ^ word) * kPrime;
    h ^= h >> 29;
  }
  for (; i < text.size(); ++i) {
    all |= text[i];
    h = (h ^ text[i]) * kPrime;
  }
  // Whichever half of a word a unit lands in, its high byte is in one of these.
  wide = (all & 0xFF00FF00FF00FF00ull) != 0;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 33);
}

uint8_t Tag(uint32_t hash) {
  return static_cast<uint8_t>(hash >> 24);
}

// Four units that fit in 8 bits as four bytes in memory order: the low bytes of the word's
// 16-bit lanes, packed.
uint32_t FourNarrowed(const char16_t* units) {
  uint64_t word;
  std::memcpy(&word, units, 8);
  word = (word | word >> 8) & 0x0000FFFF0000FFFFull;
  uint32_t packed = static_cast<uint32_t>(word | word >> 16);
  if constexpr (std::endian::native == std::endian::big)
    packed = platform::LoadLittleEndian<uint32_t>(reinterpret_cast<const uint8_t*>(&packed));
  return packed;
}

// Text whose units all fit in 8 bits, one byte each.
void Narrow(std::u16string_view text, uint8_t* out) {
  size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    const uint32_t packed = FourNarrowed(text.data() + i);
    std::memcpy(out + i, &packed, 4);
  }
  for (; i < text.size(); ++i) out[i] = static_cast<uint8_t>(text[i]);
}

bool SameText(const StringPool::Held& held, std::u16string_view text, bool wide) {
  if (held.length != text.size() || held.wide != wide) return false;
  size_t i = 0;
  if (wide) {
    for (; i < text.size(); ++i)
      if (platform::LoadLittleEndian<uint16_t>(held.chars + 2 * i) != text[i]) return false;
    return true;
  }
  for (; i + 4 <= text.size(); i += 4) {
    uint32_t bytes;
    std::memcpy(&bytes, held.chars + i, 4);
    if (bytes != FourNarrowed(text.data() + i)) return false;
  }
  for (; i < text.size(); ++i)
    if (held.chars[i] != text[i]) return false;
  return true;
}

}  // namespace

StringPool::StringPool() : groups_(kFirstGroups, Group{}) {}

const uint8_t* StringPool::At(uint32_t position) const {
  return blocks_[position >> kBlockBits].get() + (position & (kBlockBytes - 1));
}

uint32_t StringPool::Store(uint32_t index, uint32_t hash, std::u16string_view text, bool wide) {
  const Held shape{static_cast<uint16_t>(text.size()), wide, nullptr};
  const size_t size = HeldSize(shape);
  if (blocks_.empty() || blockUsed_ + size > kBlockBytes) {
    if (blocks_.size() == kMaxBlocks)
      throw std::length_error("The texts of the workbook take more than 4 GiB");
    blocks_.push_back(std::make_unique_for_overwrite<uint8_t[]>(kBlockBytes));
    blockCounts_.push_back(0);
    blockUsed_ = 0;
  }
  uint8_t* held = blocks_.back().get() + blockUsed_;
  platform::StoreLittleEndian(held + kIndexAt, index);
  platform::StoreLittleEndian(held + kHashAt, hash);
  platform::StoreLittleEndian(held + kLengthAt, shape.length);
  held[kFormAt] = wide ? 1 : 0;
  uint8_t* chars = held + kCharsAt;
  if (wide)
    for (size_t i = 0; i < text.size(); ++i)
      platform::StoreLittleEndian(chars + 2 * i, static_cast<uint16_t>(text[i]));
  else
    Narrow(text, chars);
  const auto position = static_cast<uint32_t>((blocks_.size() - 1) << kBlockBits | blockUsed_);
  blockUsed_ += size;
  ++blockCounts_.back();
  return position;
}

void StringPool::Place(uint32_t hash, uint32_t position) {
  const size_t mask = groups_.size() - 1;
  for (size_t g = hash & mask;; g = (g + 1) & mask) {
    Group& group = groups_[g];
    if (group.used == kSlots) continue;
    group.tags[group.used] = Tag(hash);
    group.positions[group.used++] = position;
    return;
  }
}

void StringPool::Grow() {
  const size_t size = groups_.size() * 2;
  groups_ = {};  // freed before the larger table is taken
  groups_.assign(size, Group{});
  ForEachHeld([&](uint32_t position, const uint8_t* held) {
    Place(platform::LoadLittleEndian<uint32_t>(held + kHashAt), position);
  });
}

StringPool::Found StringPool::Add(std::u16string_view text) {
  if (text.size() > kMaxLength) throw std::length_error("A text holds more than 65535 characters");
  bool wide = false;
  const auto hash = static_cast<uint32_t>(HashText(text, wide));
  const uint8_t tag = Tag(hash);
  const size_t mask = groups_.size() - 1;
  for (size_t g = hash & mask;; g = (g + 1) & mask) {
    Group& group = groups_[g];
    for (size_t k = 0; k < group.used; ++k) {
      if (group.tags[k] != tag) continue;
      const uint8_t* held = At(group.positions[k]);
      if (SameText(Unpack(held), text, wide))
        return {platform::LoadLittleEndian<uint32_t>(held + kIndexAt), false};
    }
    if (group.used == kSlots) continue;
    const uint32_t index = count_;
    group.positions[group.used] = Store(index, hash, text, wide);
    group.tags[group.used++] = tag;
    ++count_;
    // At most four fifths of the slots are taken.
    if (size_t{count_} * 5 > groups_.size() * kSlots * 4) Grow();
    return {index, true};
  }
}

}  // namespace vorlix::exporter::xls
