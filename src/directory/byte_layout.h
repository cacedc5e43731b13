#pragma once
// One description of a byte layout, run three ways: writing the fields, reading them back and
// counting the bytes they take. A layout is a function template over `Io` that hands each field
// in turn to
//   io.U16(v), io.U32(v)      an integer of that width, least significant byte first;
//   io.Text16(t), io.Text32(t) a length of that width, then the bytes;
//   io.List32(texts)          a u32 count, then each text as Text32;
// and stops at the first call that returns false (only reading fails: past the end of its bytes).
// The reply parts of the clients (reply_codec.h) and the values inside them (value_conversion.h)
// are laid out this way, so that filling and walking a reply cannot disagree.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/little_endian.h"

namespace vorlix::directory {

// Appends a layout to a string, or writes it again over bytes it took before.
class LayoutWriter {
 public:
  explicit LayoutWriter(std::string& out) : out_(out), at_(out.size()) {}
  // Writes over the bytes from `at` on, which an earlier run of the same layout wrote, to fill in
  // what was not known then (counts, sizes); every text must have the length it had.
  LayoutWriter(std::string& out, size_t at) : out_(out), at_(at) {}

  template <std::integral T>
  bool U16(T value) {
    return Put(static_cast<uint16_t>(value));
  }
  template <std::integral T>
  bool U32(T value) {
    return Put(static_cast<uint32_t>(value));
  }
  bool Text16(std::string_view text) { return U16(text.size()) && Bytes(text); }
  bool Text32(std::string_view text) { return U32(text.size()) && Bytes(text); }
  bool List32(const std::vector<std::string>& texts) {
    U32(texts.size());
    for (const std::string& text : texts) Text32(text);
    return true;
  }

 private:
  template <std::unsigned_integral W>
  bool Put(W value) {
    char bytes[sizeof(W)];
    platform::StoreLittleEndian(bytes, value);
    return Bytes(std::string_view(bytes, sizeof bytes));
  }
  bool Bytes(std::string_view bytes) {
    if (at_ == out_.size()) {
      out_.append(bytes);
    } else {
      out_.replace(at_, bytes.size(), bytes);
    }
    at_ += bytes.size();
    return true;
  }

  std::string& out_;
  size_t at_;
};

// Reads a layout back; fails past the end of the bytes.
class LayoutReader {
 public:
  explicit LayoutReader(std::string_view bytes, size_t at = 0) : in_(bytes, at) {}

  template <std::integral T>
  bool U16(T& value) {
    return Word<uint16_t>(value, &platform::ByteReader::U16);
  }
  template <std::integral T>
  bool U32(T& value) {
    return Word<uint32_t>(value, &platform::ByteReader::U32);
  }
  bool Text16(std::string& text) {
    uint16_t size = 0;
    return in_.U16(size) && in_.Text(size, text);
  }
  bool Text32(std::string& text) {
    uint32_t size = 0;
    return in_.U32(size) && in_.Text(size, text);
  }
  bool List32(std::vector<std::string>& texts) {
    uint32_t count = 0;
    // Every text takes at least its length word: a larger count is a damaged layout.
    if (!in_.U32(count) || count > in_.Left() / 4) return false;
    texts.resize(count);
    for (std::string& text : texts) {
      if (!Text32(text)) return false;
    }
    return true;
  }
  size_t Position() const { return in_.Position(); }

 private:
  // A word of the stored width, read into a value of the caller's type.
  template <typename Stored, typename T>
  bool Word(T& value, bool (platform::ByteReader::*read)(Stored&)) {
    Stored word = 0;
    if (!(in_.*read)(word)) return false;
    value = static_cast<T>(word);
    return true;
  }

  platform::ByteReader in_;
};

// Counts the bytes a layout takes.
class LayoutSize {
 public:
  template <std::integral T>
  bool U16(const T&) {
    return Add(2);
  }
  template <std::integral T>
  bool U32(const T&) {
    return Add(4);
  }
  bool Text16(std::string_view text) { return Add(2 + text.size()); }
  bool Text32(std::string_view text) { return Add(4 + text.size()); }
  bool List32(const std::vector<std::string>& texts) {
    Add(4);
    for (const std::string& text : texts) Text32(text);
    return true;
  }
  size_t Bytes() const { return bytes_; }

 private:
  bool Add(size_t bytes) {
    bytes_ += bytes;
    return true;
  }
  size_t bytes_ = 0;
};

// The bytes that `lay` (a layout run as lay(io)) takes.
template <typename Layout>
size_t LaidSize(Layout lay) {
  LayoutSize size;
  lay(size);
  return size.Bytes();
}

}  // namespace vorlix::directory
