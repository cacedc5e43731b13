#pragma once
// Appends bytes to the export stream through a buffer and keeps the stream size, which the
// document uses as the byte offset of each object it starts.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "export/morvat_stream.h"

namespace vorlix::exporter::pdf {

class PdfSink {
 public:
  // What the stream already holds counts; everything is appended after it.
  explicit PdfSink(MorvatStream& stream);
  // Hands what is still buffered to the stream; a failure here is not raised.
  ~PdfSink();
  PdfSink(const PdfSink&) = delete;
  PdfSink& operator=(const PdfSink&) = delete;

  // Room for `size` more bytes at the returned place; Commit says where the writing ended.
  char* Reserve(std::size_t size) {
    if (buffer_.size() - used_ < size) MakeRoom(size);
    return buffer_.data() + used_;
  }
  void Commit(const char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.data());
    if (used_ >= kSpillSize) Flush();
  }
  void Append(std::string_view bytes) {
    char* at = Reserve(bytes.size());
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    Commit(at + bytes.size());
  }
  // Writes everything buffered to the stream; the stream's write errors pass to the caller.
  void Flush();
  // Size of the stream including what is still buffered.
  std::int64_t Size() const { return base_ + written_ + static_cast<std::int64_t>(used_); }

 private:
  static constexpr std::size_t kSpillSize = 64 * 1024;
  void MakeRoom(std::size_t size);

  MorvatStream& stream_;
  std::int64_t base_ = 0;
  std::int64_t written_ = 0;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace vorlix::exporter::pdf
