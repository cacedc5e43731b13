#pragma once
// Little-endian byte layout shared by every binary format of the program: the directory client's
// replies, packed directory values and the spreadsheet records. One writer that appends to or
// patches a byte container, and one reader that walks a byte range and fails softly past its end.

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace vorlix::platform {

// Any one-byte element: char, unsigned char, uint8_t.
template <typename B>
concept ByteElement = sizeof(B) == 1 && std::is_trivially_copyable_v<B>;

// Stores `value` at p, least significant byte first.
template <std::unsigned_integral T, ByteElement B>
inline void StoreLittleEndian(B* p, T value) {
  for (size_t i = 0; i < sizeof(T); ++i)
    p[i] = static_cast<B>(static_cast<uint8_t>(value >> (8 * i)));
}

// Reads a value stored least significant byte first at p.
template <std::unsigned_integral T, ByteElement B>
inline T LoadLittleEndian(const B* p) {
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i)
    value |= static_cast<T>(static_cast<T>(static_cast<uint8_t>(p[i])) << (8 * i));
  return value;
}

// Appends to, or patches, a container of bytes (std::string, std::vector<uint8_t>, ...).
template <typename Container>
requires ByteElement<typename Container::value_type>
class ByteWriter {
 public:
  using Byte = typename Container::value_type;
  explicit ByteWriter(Container& out) : out_(out) {}

  ByteWriter& U8(uint8_t value) {
    out_.push_back(static_cast<Byte>(value));
    return *this;
  }
  ByteWriter& U16(uint16_t value) { return Append(value); }
  ByteWriter& U32(uint32_t value) { return Append(value); }
  ByteWriter& U64(uint64_t value) { return Append(value); }
  // The IEEE 754 bits of `value`.
  ByteWriter& Double(double value) { return Append(std::bit_cast<uint64_t>(value)); }
  ByteWriter& Bytes(const void* data, size_t size) {
    if (size == 0) return *this;
    const size_t at = out_.size();
    out_.resize(at + size);
    std::memcpy(out_.data() + at, data, size);
    return *this;
  }
  ByteWriter& Bytes(std::string_view bytes) { return Bytes(bytes.data(), bytes.size()); }
  // `count` zero bytes.
  ByteWriter& Zeros(size_t count) {
    out_.resize(out_.size() + count, Byte{0});
    return *this;
  }
  // Overwrites bytes already written, at `at`, with `value`.
  template <std::unsigned_integral T>
  ByteWriter& PatchAt(size_t at, T value) {
    StoreLittleEndian(out_.data() + at, value);
    return *this;
  }
  size_t Size() const { return out_.size(); }

 private:
  template <std::unsigned_integral T>
  ByteWriter& Append(T value) {
    const size_t at = out_.size();
    out_.resize(at + sizeof(T));
    StoreLittleEndian(out_.data() + at, value);
    return *this;
  }
  Container& out_;
};

// Walks a byte range. Every read past the end fails and leaves the position where it was.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes, size_t at = 0) : bytes_(bytes), at_(at) {}

  bool U8(uint8_t& value) { return Read(value); }
  bool U16(uint16_t& value) { return Read(value); }
  bool U32(uint32_t& value) { return Read(value); }
  bool U64(uint64_t& value) { return Read(value); }
  // `size` bytes as text.
  bool Text(size_t size, std::string& text) {
    if (size > Left()) return false;
    text.assign(bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  bool Skip(size_t size) {
    if (size > Left()) return false;
    at_ += size;
    return true;
  }
  size_t Position() const { return at_; }
  size_t Left() const { return at_ <= bytes_.size() ? bytes_.size() - at_ : 0; }

 private:
  template <std::unsigned_integral T>
  bool Read(T& value) {
    if (sizeof(T) > Left()) return false;
    value = LoadLittleEndian<T>(bytes_.data() + at_);
    at_ += sizeof(T);
    return true;
  }
  std::string_view bytes_;
  size_t at_;
};

}  // namespace vorlix::platform
