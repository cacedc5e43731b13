#include "cli/output_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/signal_cleanup.h"
#include "platform/standard_streams.h"

namespace vorlix::cli {

namespace {

constexpr size_t kBufferSize = 64 * 1024;

}  // namespace

FdOutputBuffer::FdOutputBuffer(int fd, Escaping escaping)
    : fd_(fd), closedAtStart_(!platform::OpenAtStart(fd)), buffer_(kBufferSize) {
  if (escaping == Escaping::kControls) escaper_ = std::make_unique<TerminalEscaper>();
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutputBuffer::~FdOutputBuffer() {
  Finish();
}

bool FdOutputBuffer::WriteAll(const char* data, size_t size) {
  // The descriptor was opened on /dev/null at start-up: the output would be lost.
  if (size > 0 && closedAtStart_ && error_ == 0) error_ = EBADF;
  while (size > 0 && error_ == 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      if (error_ == EPIPE) platform::OnBrokenPipe();
    } else if (written == 0) {
      error_ = EIO;
    } else {
      data += written;
      size -= static_cast<size_t>(written);
    }
  }
  return error_ == 0;
}

bool FdOutputBuffer::Drain(bool final) {
  const size_t pending = static_cast<size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  // After a failure the output is dropped: what follows could not be read in sequence anyway.
  if (error_ != 0) return false;
  if (!escaper_) return WriteAll(buffer_.data(), pending);
  escaped_.clear();
  escaper_->Feed(std::string_view(buffer_.data(), pending), escaped_);
  if (final) escaper_->Finish(escaped_);
  return WriteAll(escaped_.data(), escaped_.size());
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!Drain(false)) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int FdOutputBuffer::sync() {
  return Drain(false) ? 0 : -1;
}

bool FdOutputBuffer::Finish() {
  return Drain(true);
}

FdOutputBuffer::Escaping EscapingFor(int fd) {
  return ::isatty(fd) ? FdOutputBuffer::Escaping::kControls : FdOutputBuffer::Escaping::kNone;
}

std::string WriteFailureMessage(const std::string& what, int error) {
  return "cannot write to " + what + ": " + std::strerror(error);
}

}  // namespace vorlix::cli
