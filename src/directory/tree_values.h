#pragma once
// The values of one attribute of the in-memory tree, packed one after the other: for each the
// line of the tree file that gives it and its size (each a base-128 number, low bits first), then
// its bytes. A value thus costs two to eight bytes beside its text, where a table row of pointer,
// size and line would cost sixteen.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

namespace vorlix::directory {

// One value: its text and the line of the tree file that gives it.
struct TreeValue {
  const char* data = nullptr;
  uint32_t size = 0;
  uint32_t line = 0;

  std::string_view text() const { return {data, size}; }
};

// The bytes that PackValue writes for a value.
inline size_t PackedSize(uint32_t line, std::string_view text) {
  auto width = [](uint32_t n) {
    size_t bytes = 1;
    for (; n >= 0x80; n >>= 7) ++bytes;
    return bytes;
  };
  return width(line) + width(static_cast<uint32_t>(text.size())) + text.size();
}

// Writes a value at `at` as TreeValues reads it back; where the next one goes.
inline char* PackValue(char* at, uint32_t line, std::string_view text) {
  auto number = [&at](uint32_t n) {
    for (; n >= 0x80; n >>= 7) *at++ = static_cast<char>((n & 0x7F) | 0x80);
    *at++ = static_cast<char>(n);
  };
  number(line);
  number(static_cast<uint32_t>(text.size()));
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

// The values of an attribute, read in file order from where they are packed.
class TreeValues {
 public:
  class iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = TreeValue;
    using difference_type = std::ptrdiff_t;
    using pointer = const TreeValue*;
    using reference = TreeValue;

    iterator() = default;
    iterator(const char* next, uint32_t left) : next_(next), left_(left) { Read(); }
    TreeValue operator*() const { return value_; }
    const TreeValue* operator->() const { return &value_; }
    iterator& operator++() {
      --left_;
      Read();
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return left_ == other.left_; }

   private:
    uint32_t Number() {
      uint32_t n = 0;
      for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*next_++);
        n |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return n;
      }
    }
    void Read() {
      if (left_ == 0) return;
      value_.line = Number();
      value_.size = Number();
      value_.data = next_;
      next_ += value_.size;
    }

    const char* next_ = nullptr;
    uint32_t left_ = 0;
    TreeValue value_;
  };

  TreeValues(const char* packed, uint32_t count) : packed_(packed), count_(count) {}
  iterator begin() const { return iterator(packed_, count_); }
  iterator end() const { return iterator(); }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // The value at index (below size()), found by reading the ones before it.
  TreeValue operator[](size_t index) const {
    iterator it = begin();
    while (index-- > 0) ++it;
    return *it;
  }

 private:
  const char* packed_;
  uint32_t count_;
};

}  // namespace vorlix::directory
