#pragma once
// Distinct texts in order of first appearance, each held once in the form a BIFF8 string takes:
// one byte a character when every character fits in 8 bits, otherwise two (little-endian).
//
// A held text is its index (32 bits), its hash (32 bits), its length in characters (16 bits),
// its form (0: one byte a character, 1: two) and its characters, packed into blocks of 256 KiB
// that never move; a text that does not fit what is left of a block starts the next one. Its
// position (block number and offset) fits 32 bits: 16,384 blocks, 4 GiB of texts at most.
//
// The lookup table is a power of two of 64-byte groups of 12 slots: a tag byte each (the top
// byte of the text's hash), the count of slots taken, then the positions. A text's hash picks its
// first group; a group that is full passes the search on to the next. Tags are compared before any
// text is, so a search reads one group and, when found, the text. Growing the table frees the
// old one first and places the held texts again from the hashes they keep.
//
// At 60,000 member rows (240,000 distinct texts, 4.6 million characters) the pool peaks at
// 9.4 MB, where the texts in UTF-16 with a 16-byte entry and an 8-byte slot each took 17.5 MB
// (heaptrack). bench/export/xls/sst_bench (CPU time, best of 3 medians, busy 2-core machine):
// a member table of 10,000 and 65,000 rows as fast as before, 100,000 unique texts 10 % slower
// (9.2 -> 10.1 ms), a million 15 % faster (215 -> 179 ms).

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vorlix::exporter::xls {

class StringPool {
 public:
  static constexpr size_t kMaxLength = 0xFFFF;  // characters of one text

  // A text as it is held.
  struct Held {
    uint16_t length;       // characters
    bool wide;             // two bytes a character
    const uint8_t* chars;  // length bytes, or 2 * length when wide
  };
  struct Found {
    uint32_t index;
    bool added;  // the text was new
  };

  StringPool();

  // The index of text (at most kMaxLength characters), adding it when it is new.
  Found Add(std::u16string_view text);
  uint32_t Size() const { return count_; }
  // Calls visit(const Held&) for every text in order of index.
  template <typename Visit>
  void ForEach(Visit&& visit) const;

 private:
  static constexpr size_t kSlots = 12;
  // Slots are taken in order and never freed, so the taken ones are the first `used`.
  struct alignas(64) Group {
    uint8_t tags[kSlots];
    uint8_t used;
    uint32_t positions[kSlots];
  };
  static_assert(sizeof(Group) == 64, "a group fills one cache line");

  // Appends text in its held form to the blocks and returns where it begins.
  uint32_t Store(uint32_t index, uint32_t hash, std::u16string_view text, bool wide);
  const uint8_t* At(uint32_t position) const;
  // Puts position into the first free slot from the hash's group on.
  void Place(uint32_t hash, uint32_t position);
  // Doubles the table and places every held text again.
  void Grow();

  // A held text: index, hash, length, form, characters.
  static constexpr size_t kIndexAt = 0, kHashAt = 4, kLengthAt = 8, kFormAt = 10, kCharsAt = 11;
  static constexpr unsigned kBlockBits = 18;
  static constexpr size_t kBlockBytes = size_t{1} << kBlockBits;
  static_assert(kCharsAt + 2 * kMaxLength <= kBlockBytes, "a block holds the longest text");

  static Held Unpack(const uint8_t* held) {
    return {static_cast<uint16_t>(held[kLengthAt] | held[kLengthAt + 1] << 8), held[kFormAt] != 0,
            held + kCharsAt};
  }
  static size_t HeldSize(const Held& text) {
    return kCharsAt + (text.wide ? 2 * size_t{text.length} : text.length);
  }
  // Calls visit(position, const uint8_t* held) for every held text in order.
  template <typename Visit>
  void ForEachHeld(Visit&& visit) const;

  std::vector<std::unique_ptr<uint8_t[]>> blocks_;
  std::vector<uint32_t> blockCounts_;  // texts in each block
  size_t blockUsed_ = 0;
  uint32_t count_ = 0;
  std::vector<Group> groups_;
};

template <typename Visit>
void StringPool::ForEachHeld(Visit&& visit) const {
  for (size_t b = 0; b < blocks_.size(); ++b) {
    const uint8_t* block = blocks_[b].get();
    size_t offset = 0;
    for (uint32_t n = 0; n < blockCounts_[b]; ++n) {
      visit(static_cast<uint32_t>(b << kBlockBits | offset), block + offset);
      offset += HeldSize(Unpack(block + offset));
    }
  }
}

template <typename Visit>
void StringPool::ForEach(Visit&& visit) const {
  ForEachHeld([&](uint32_t, const uint8_t* held) { visit(Unpack(held)); });
}

}  // namespace vorlix::exporter::xls
