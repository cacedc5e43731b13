#include "cli/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "cli/message_printer.h"
#include "platform/signal_cleanup.h"

namespace vorlix::cli {

void ProgressLine::Show(const std::string& text) {
  if (!shown_) return;
  const std::string line = kMessagePrefix + text;
  std::string bytes = "\r" + line;
  // Blanks over what is left of a longer line.
  if (line.size() < width_) bytes += std::string(width_ - line.size(), ' ');
  width_ = std::max(width_, line.size());
  // A signal that ends the program meanwhile blanks the line out.
  platform::BlankLineOnSignal(fd_, width_);
  Write(bytes);
}

void ProgressLine::Clear() {
  if (!shown_ || width_ == 0) return;
  std::string bytes = "\r";
  bytes.append(width_, ' ');
  Write(bytes + "\r");
  width_ = 0;
  platform::BlankLineOnSignal(fd_, 0);
}

void ProgressLine::Write(const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      shown_ = false;  // a terminal that takes nothing gets no more progress
      return;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

bool ShowsProgress(int fd, bool quiet) {
  return !quiet && ::isatty(fd) == 1;
}

std::string ProgressText(std::size_t done, std::size_t total, const std::string& what) {
  return std::to_string(done) + " of " + std::to_string(total) + " " + what;
}

std::string FinishingText(std::uint64_t done, std::uint64_t total) {
  const std::string text = "finishing the file";
  if (total == 0) return text;
  return text + ": " + std::to_string(std::min(done, total) * 100 / total) + "%";
}

}  // namespace vorlix::cli
