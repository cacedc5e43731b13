#pragma once
// An export stream that only counts the bytes written to it, so that benchmark figures show
// the exporter and its source alone.

#include <cstddef>
#include <cstdint>

#include "export/morvat_stream.h"

namespace vorlix::exporter::bench {

class CountingStream : public MorvatStream {
 public:
  void Write(const char*, size_t size) override { bytes_ += size; }
  using MorvatStream::Write;
  uint64_t Position() const override { return bytes_; }

 private:
  uint64_t bytes_ = 0;
};

}  // namespace vorlix::exporter::bench
