#pragma once
// The CLI's output ends: a stream buffer over a file descriptor that checks every write, keeps the
// first failure for the final report, and escapes control characters when the descriptor is a
// terminal. A descriptor that was closed when the program started takes no output (EBADF); a pipe
// whose reader has gone ends the program (platform::OnBrokenPipe).

#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/terminal_text.h"

namespace vorlix::cli {

class FdOutputBuffer : public std::streambuf {
 public:
  enum class Escaping { kNone, kControls };

  FdOutputBuffer(int fd, Escaping escaping);
  ~FdOutputBuffer() override;
  FdOutputBuffer(const FdOutputBuffer&) = delete;
  FdOutputBuffer& operator=(const FdOutputBuffer&) = delete;

  // Writes everything still held; false when this or any earlier write failed.
  bool Finish();
  // errno of the first failed write; 0 while none failed.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Drain(bool final);
  bool WriteAll(const char* data, size_t size);

  int fd_;
  bool closedAtStart_;
  std::unique_ptr<TerminalEscaper> escaper_;  // null when nothing is escaped
  std::vector<char> buffer_;
  std::string escaped_;
  int error_ = 0;
};

// The descriptor's escaping: control characters escaped when it is a terminal.
FdOutputBuffer::Escaping EscapingFor(int fd);

// "cannot write to standard output: No space left on device" for a failed buffer over `what`.
std::string WriteFailureMessage(const std::string& what, int error);

}  // namespace vorlix::cli
