#pragma once
// The progress line of a long command: "vorlix-cli: 1200 of 5000 members read" on stderr,
// rewritten in place, and blanked out again before anything else is written there. It is shown
// only when stderr is a terminal (a log file or a pipe gets no carriage returns) and --quiet was
// not given. The text is the program's own, so it bypasses the escaping of directory values. A
// signal that ends the program blanks the line out too (platform/signal_cleanup.h).

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlix::cli {

class ProgressLine {
 public:
  // Writes to `fd` when `shown`; otherwise every call does nothing.
  ProgressLine(int fd, bool shown) : fd_(fd), shown_(shown) {}
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool shown() const { return shown_; }
  // Replaces the line with "vorlix-cli: " and `text`.
  void Show(const std::string& text);
  // Blanks the line out and puts the cursor back at its start; nothing when no line is shown.
  void Clear();

 private:
  void Write(const std::string& bytes);

  int fd_;
  bool shown_;
  std::size_t width_ = 0;  // characters on the line now
};

// Whether the progress line is shown on `fd`: it is a terminal and --quiet was not given.
bool ShowsProgress(int fd, bool quiet);

// "1200 of 5000 members read": `done` of `total` and what they are.
std::string ProgressText(std::size_t done, std::size_t total, const std::string& what);

// "finishing the file: 45%" for `done` of `total`; without the share when total is 0 (unknown).
std::string FinishingText(std::uint64_t done, std::uint64_t total);

}  // namespace vorlix::cli
