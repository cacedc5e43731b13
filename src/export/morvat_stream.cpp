#include "export/morvat_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "export/morvat_messages.h"

namespace vorlix::exporter {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}  // namespace

TMorvatFileStream::TMorvatFileStream(const std::string& fileName) : output_(fileName) {
  buffer_.resize(kBufferSize);
}

TMorvatFileStream::~TMorvatFileStream() {
  Discard();
}

void TMorvatFileStream::WriteOut(const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(output_.Descriptor(), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      throw EMorvatError(output_.WriteErrorPrefix() + ": " + std::strerror(errno));
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void TMorvatFileStream::Write(const char* data, size_t size) {
  if (!open_) throw EMorvatError(output_.WriteErrorPrefix() + ": file closed");
  if (size == 0) return;
  position_ += size;
  if (used_ + size > buffer_.size()) {
    Flush();
    if (size >= buffer_.size()) {
      WriteOut(data, size);
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
}

void TMorvatFileStream::Flush() {
  if (!open_ || used_ == 0) return;
  size_t used = used_;
  used_ = 0;
  WriteOut(buffer_.data(), used);
}

void TMorvatFileStream::Close() {
  if (!open_) return;
  try {
    Flush();
    if (failed_) throw EMorvatError(output_.WriteErrorPrefix() + ": an earlier write failed");
    open_ = false;
    output_.Commit();
  } catch (...) {
    Discard();
    throw;
  }
}

void TMorvatFileStream::Discard() noexcept {
  open_ = false;
  used_ = 0;
  output_.Discard();
}

}  // namespace vorlix::exporter
