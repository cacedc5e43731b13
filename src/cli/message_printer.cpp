#include "cli/message_printer.h"

#include <ostream>
#include <string>

namespace vorlix::cli {

namespace {

constexpr std::string_view kWarningLead = "warning: ";

}  // namespace

void MessagePrinter::Error(std::string_view text) const {
  WriteLines(std::string_view(kMessagePrefix), text);
}

void MessagePrinter::Warning(std::string_view text) const {
  WriteLines(std::string(kMessagePrefix) + std::string(kWarningLead), text);
}

void MessagePrinter::Notice(std::string_view text) const {
  WriteLines(std::string_view(kMessagePrefix), text);
}

void MessagePrinter::Data(std::string_view text) const {
  err_ << text;
}

// Each line of `text` after `lead`; a line end that closes the text adds no empty line.
void MessagePrinter::WriteLines(std::string_view lead, std::string_view text) const {
  if (text.ends_with('\n')) text.remove_suffix(1);
  std::string lines;
  for (;;) {
    const size_t end = text.find('\n');
    lines.append(lead).append(text.substr(0, end)) += '\n';
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  // One write, so that the message's lines stay together.
  err_ << lines;
}

}  // namespace vorlix::cli
