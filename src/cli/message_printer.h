#pragma once
// Everything vorlix-cli writes to standard error, in one place. Each line of an error, a warning
// or a notice begins with "vorlix-cli: " once, so that a log that gathers the output of several
// programs says whose line it is; a message of several lines gets the name on each. Lines that
// are data for the user or a script (the usage after a usage error, the names to pick from, the
// count line of `members`) are written as they are.

#include <iosfwd>
#include <string>
#include <string_view>

namespace vorlix::cli {

inline constexpr char kProgramName[] = "vorlix-cli";
// What begins every message line, the progress line's included.
inline constexpr char kMessagePrefix[] = "vorlix-cli: ";

class MessagePrinter {
 public:
  explicit MessagePrinter(std::ostream& err) : err_(err) {}

  // Why the command failed: "vorlix-cli: TEXT".
  void Error(std::string_view text) const;
  // Something the command did not do as asked, though it went on: "vorlix-cli: warning: TEXT".
  void Warning(std::string_view text) const;
  // What the user should know, no failure: "vorlix-cli: TEXT".
  void Notice(std::string_view text) const;
  // Data, written as it is: the caller ends its lines.
  void Data(std::string_view text) const;

 private:
  void WriteLines(std::string_view lead, std::string_view text) const;

  std::ostream& err_;
};

}  // namespace vorlix::cli
