#pragma once
// Byte sinks the workbook is written into: a growing buffer for blocks built in memory and a
// seekable stream for the Workbook stream itself. The stream keeps its bytes in a store (memory
// chunks, or a temporary file so that large workbooks do not stay in memory) and reads them
// through a list of pieces, so that bytes appended at its end can be moved in front of others
// without copying them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vorlix::exporter::xls {

class XlsByteSink {
 public:
  virtual ~XlsByteSink() = default;
  virtual void Write(const void* data, size_t size) = 0;

  void WriteU8(uint8_t value) { Write(&value, 1); }
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
};

// Bytes collected in one contiguous buffer.
class XlsBuffer : public XlsByteSink {
 public:
  void Write(const void* data, size_t size) override;
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  size_t Size() const { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

// Where a stream keeps its bytes: appended at the end, read and overwritten anywhere.
class XlsStore {
 public:
  virtual ~XlsStore() = default;
  virtual void Append(const uint8_t* data, size_t size) = 0;
  virtual void WriteAt(uint64_t position, const uint8_t* data, size_t size) = 0;
  virtual void ReadAt(uint64_t position, uint8_t* data, size_t size) const = 0;
  virtual uint64_t Size() const = 0;
};

// Seekable stream. Writing at a position inside the stream overwrites, at the end appends.
class XlsStream : public XlsByteSink {
 public:
  enum class Storage { Memory, TemporaryFile };
  // `owner` names the workbook file in the messages of a temporary file's errors (EMorvatError).
  explicit XlsStream(Storage storage = Storage::Memory, const std::string& owner = {});
  ~XlsStream() override;
  XlsStream(XlsStream&&) noexcept;
  XlsStream& operator=(XlsStream&&) noexcept;

  void Write(const void* data, size_t size) override;
  uint64_t Position() const { return position_; }
  uint64_t Size() const { return size_; }
  // Positions past the end are refused (the stream has no holes).
  void Seek(uint64_t position);
  void SeekToEnd() { position_ = size_; }
  // Reads size bytes from position; throws when the range is not inside the stream.
  void ReadAt(uint64_t position, void* data, size_t size) const;
  // Moves the bytes from `from` to the end in front of the byte at `to` (to <= from); the bytes
  // between move behind them. Nothing is copied. The position is left at the end.
  void MoveTail(uint64_t from, uint64_t to);
  // Hands the bytes to sink in order, in pieces.
  void ForEachChunk(const std::function<void(const uint8_t*, size_t)>& sink) const;
  // The whole stream in one buffer (for tests and small streams).
  std::vector<uint8_t> ToBytes() const;

 private:
  struct Piece {
    uint64_t start;  // in the store
    uint64_t length;
  };
  // Index of the piece holding position and the offset inside it.
  std::pair<size_t, uint64_t> Locate(uint64_t position) const;
  // Hands visit(store position, length) the stored spans of the size bytes from position on,
  // in order; the range must lie inside the stream.
  template <typename Visit>
  void ForEachSpan(uint64_t position, size_t size, Visit&& visit) const;
  // Splits pieces so that one begins at position (< size).
  size_t SplitAt(uint64_t position);

  std::unique_ptr<XlsStore> store_;
  std::vector<Piece> pieces_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
};

}  // namespace vorlix::exporter::xls
