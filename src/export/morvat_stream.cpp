#include "export/morvat_stream.h"

#include <cstring>

#include "export/morvat_messages.h"

namespace vorlix::exporter {

namespace {

constexpr size_t kBufferSize = 64 * 1024;

}  // namespace

// The output file's errors are raised as the export's.
MorvatFileStream::MorvatFileStream(const std::string& fileName) try : output_(fileName) {
  buffer_.resize(kBufferSize);
} catch (const platform::OutputFileError& e) {
  throw EMorvatError(e.what());
}

MorvatFileStream::~MorvatFileStream() {
  Discard();
}

void MorvatFileStream::WriteOut(const char* data, size_t size) {
  try {
    output_.Write(data, size);
  } catch (const platform::OutputFileError& e) {
    failed_ = true;
    throw EMorvatError(e.what());
  }
}

void MorvatFileStream::Write(const char* data, size_t size) {
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

void MorvatFileStream::Flush() {
  if (!open_ || used_ == 0) return;
  size_t used = used_;
  used_ = 0;
  WriteOut(buffer_.data(), used);
}

void MorvatFileStream::Close(const FinishProgress& progress) {
  if (!open_) return;
  try {
    Flush();
    if (failed_) throw EMorvatError(output_.WriteErrorPrefix() + ": an earlier write failed");
    output_.Sync();
    // The last moment to stop: from here the file takes the target's place.
    if (progress) progress(1, 1);
    open_ = false;
    output_.Commit();
  } catch (const platform::OutputFileError& e) {
    Discard();
    throw EMorvatError(e.what());
  } catch (...) {
    Discard();
    throw;
  }
}

void MorvatFileStream::Discard() noexcept {
  open_ = false;
  used_ = 0;
  output_.Discard();
}

}  // namespace vorlix::exporter
