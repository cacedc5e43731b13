#include "export/pdf/pdf_sink.h"

namespace vorlix::exporter::pdf {

PdfSink::PdfSink(MorvatStream& stream)
    : stream_(stream),
      base_(static_cast<std::int64_t>(stream.Position())),
      buffer_(kSpillSize + 16 * 1024) {}

PdfSink::~PdfSink() {
  try {
    Flush();
  } catch (...) {
    // The run that failed has already reported its error; a second one would hide it.
  }
}

void PdfSink::MakeRoom(std::size_t size) {
  Flush();
  if (buffer_.size() < size) buffer_.resize(size);
}

void PdfSink::Flush() {
  if (used_ == 0) return;
  const std::size_t size = used_;
  // Counted as written before the attempt: after a failure the sizes no longer matter, and
  // the bytes are not offered again by the destructor.
  written_ += static_cast<std::int64_t>(size);
  used_ = 0;
  stream_.Write(buffer_.data(), size);
}

}  // namespace vorlix::exporter::pdf
