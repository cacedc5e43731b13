#include "export/xls/xls_stream.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "export/morvat_messages.h"
#include "platform/little_endian.h"
#include "platform/temporary_file.h"

namespace vorlix::exporter::xls {

namespace {

constexpr size_t kChunkCapacity = 256 * 1024;
constexpr size_t kFileBuffer = 256 * 1024;

// Chunks of memory that are never moved once written.
class MemoryStore : public XlsStore {
 public:
  void Append(const uint8_t* data, size_t size) override {
    while (size > 0) {
      if (chunks_.empty() || used_ == kChunkCapacity) {
        chunks_.push_back(std::make_unique<uint8_t[]>(kChunkCapacity));
        used_ = 0;
      }
      size_t n = std::min(size, kChunkCapacity - used_);
      std::memcpy(chunks_.back().get() + used_, data, n);
      used_ += n;
      size_ += n;
      data += n;
      size -= n;
    }
  }
  void WriteAt(uint64_t position, const uint8_t* data, size_t size) override {
    Visit(position, size, [&](uint8_t* p, size_t n) {
      std::memcpy(p, data, n);
      data += n;
    });
  }
  void ReadAt(uint64_t position, uint8_t* data, size_t size) const override {
    const_cast<MemoryStore*>(this)->Visit(position, size, [&](uint8_t* p, size_t n) {
      std::memcpy(data, p, n);
      data += n;
    });
  }
  uint64_t Size() const override { return size_; }

 private:
  template <typename F>
  void Visit(uint64_t position, size_t size, F&& f) {
    while (size > 0) {
      size_t chunk = static_cast<size_t>(position / kChunkCapacity);
      size_t offset = static_cast<size_t>(position % kChunkCapacity);
      size_t n = std::min(size, kChunkCapacity - offset);
      f(chunks_.at(chunk).get() + offset, n);
      position += n;
      size -= n;
    }
  }
  std::vector<std::unique_ptr<uint8_t[]>> chunks_;
  size_t used_ = 0;
  uint64_t size_ = 0;
};

// An unnamed temporary file, removed when it is closed; appends go through a buffer. Errors
// name the workbook the data belongs to and the folder of the temporary file.
class FileStore : public XlsStore {
 public:
  explicit FileStore(std::string owner) : owner_(std::move(owner)) {
    try {
      file_.emplace();
    } catch (const std::system_error& e) {
      Raise("Cannot create the temporary", e.code().value());
    }
    buffer_.reserve(kFileBuffer);
  }
  void Append(const uint8_t* data, size_t size) override {
    if (buffer_.size() + size > kFileBuffer) Flush();
    if (size >= kFileBuffer) {
      Put(flushed_, data, size);
      flushed_ += size;
      return;
    }
    buffer_.insert(buffer_.end(), data, data + size);
  }
  void WriteAt(uint64_t position, const uint8_t* data, size_t size) override {
    // Inside the buffer or in the file (or both).
    if (size > 0 && position < flushed_) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - position));
      Put(position, data, n);
      position += n;
      data += n;
      size -= n;
    }
    if (size > 0) std::memcpy(buffer_.data() + (position - flushed_), data, size);
  }
  void ReadAt(uint64_t position, uint8_t* data, size_t size) const override {
    if (size > 0 && position < flushed_) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - position));
      try {
        file_->ReadAt(position, data, n);
      } catch (const std::system_error& e) {
        Raise("Error reading the temporary", e.code().value());
      }
      position += n;
      data += n;
      size -= n;
    }
    if (size > 0) std::memcpy(data, buffer_.data() + (position - flushed_), size);
  }
  uint64_t Size() const override { return flushed_ + buffer_.size(); }

 private:
  void Flush() {
    if (buffer_.empty()) return;
    Put(flushed_, buffer_.data(), buffer_.size());
    flushed_ += buffer_.size();
    buffer_.clear();
  }
  void Put(uint64_t position, const uint8_t* data, size_t size) {
    try {
      file_->WriteAt(position, data, size);
    } catch (const std::system_error& e) {
      Raise("Error writing the temporary", e.code().value());
    }
  }
  // "<what> workbook data of "<owner>" (an unnamed file in <folder>): <reason>".
  [[noreturn]] void Raise(const std::string& what, int error) const {
    std::string message = what + " workbook data";
    if (!owner_.empty()) message += " of \"" + owner_ + "\"";
    throw EMorvatError(message + " (an unnamed file in " + platform::ScratchFile::Folder() +
                       "): " + std::strerror(error));
  }
  std::string owner_;
  std::optional<platform::ScratchFile> file_;
  std::vector<uint8_t> buffer_;
  uint64_t flushed_ = 0;
};

}  // namespace

void XlsByteSink::WriteU16(uint16_t value) {
  uint8_t bytes[2];
  platform::StoreLittleEndian(bytes, value);
  Write(bytes, sizeof bytes);
}

void XlsByteSink::WriteU32(uint32_t value) {
  uint8_t bytes[4];
  platform::StoreLittleEndian(bytes, value);
  Write(bytes, sizeof bytes);
}

void XlsBuffer::Write(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

XlsStream::XlsStream(Storage storage, const std::string& owner) {
  if (storage == Storage::TemporaryFile)
    store_ = std::make_unique<FileStore>(owner);
  else
    store_ = std::make_unique<MemoryStore>();
}

XlsStream::~XlsStream() = default;
XlsStream::XlsStream(XlsStream&&) noexcept = default;
XlsStream& XlsStream::operator=(XlsStream&&) noexcept = default;

std::pair<size_t, uint64_t> XlsStream::Locate(uint64_t position) const {
  uint64_t start = 0;
  for (size_t i = 0; i < pieces_.size(); ++i) {
    if (position < start + pieces_[i].length) return {i, position - start};
    start += pieces_[i].length;
  }
  return {pieces_.size(), 0};
}

template <typename Visit>
void XlsStream::ForEachSpan(uint64_t position, size_t size, Visit&& visit) const {
  if (size == 0) return;  // appends, the common case, skip the walk
  auto [index, offset] = Locate(position);
  for (; size > 0; ++index, offset = 0) {
    const Piece& piece = pieces_[index];
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, piece.length - offset));
    visit(piece.start + offset, n);
    size -= n;
  }
}

size_t XlsStream::SplitAt(uint64_t position) {
  auto [index, offset] = Locate(position);
  if (index == pieces_.size() || offset == 0) return index;
  Piece& piece = pieces_[index];
  Piece tail{piece.start + offset, piece.length - offset};
  piece.length = offset;
  pieces_.insert(pieces_.begin() + static_cast<ptrdiff_t>(index) + 1, tail);
  return index + 1;
}

void XlsStream::Write(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  // Overwrite what lies inside the stream.
  const size_t inside = static_cast<size_t>(std::min<uint64_t>(size, size_ - position_));
  ForEachSpan(position_, inside, [&](uint64_t at, size_t n) {
    store_->WriteAt(at, p, n);
    p += n;
  });
  position_ += inside;
  size -= inside;
  if (size == 0) return;
  // Append the rest.
  const uint64_t storeEnd = store_->Size();
  store_->Append(p, size);
  if (!pieces_.empty() && pieces_.back().start + pieces_.back().length == storeEnd)
    pieces_.back().length += size;
  else
    pieces_.push_back({storeEnd, size});
  size_ += size;
  position_ = size_;
}

void XlsStream::Seek(uint64_t position) {
  if (position > size_) throw std::out_of_range("Seek beyond the end of the workbook stream");
  position_ = position;
}

void XlsStream::ReadAt(uint64_t position, void* data, size_t size) const {
  if (position > size_ || size > size_ - position)
    throw std::out_of_range("Read beyond the end of the workbook stream");
  auto* p = static_cast<uint8_t*>(data);
  ForEachSpan(position, size, [&](uint64_t at, size_t n) {
    store_->ReadAt(at, p, n);
    p += n;
  });
}

void XlsStream::MoveTail(uint64_t from, uint64_t to) {
  if (to > from || from > size_) throw std::out_of_range("Bad move inside the workbook stream");
  if (from < size_ && to < from) {
    const size_t front = SplitAt(to);
    const size_t tail = SplitAt(from);
    // Pieces [front, tail) and [tail, end) swap places.
    std::rotate(pieces_.begin() + static_cast<ptrdiff_t>(front),
                pieces_.begin() + static_cast<ptrdiff_t>(tail), pieces_.end());
  }
  position_ = size_;
}

void XlsStream::ForEachChunk(const std::function<void(const uint8_t*, size_t)>& sink) const {
  std::vector<uint8_t> buffer(kFileBuffer);
  for (const Piece& piece : pieces_) {
    uint64_t done = 0;
    while (done < piece.length) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), piece.length - done));
      store_->ReadAt(piece.start + done, buffer.data(), n);
      sink(buffer.data(), n);
      done += n;
    }
  }
}

std::vector<uint8_t> XlsStream::ToBytes() const {
  std::vector<uint8_t> out(static_cast<size_t>(size_));
  if (size_ > 0) ReadAt(0, out.data(), out.size());
  return out;
}

}  // namespace vorlix::exporter::xls
