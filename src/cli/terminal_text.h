#pragma once
// Text bound for a terminal with every control character made visible, so that directory values
// (an ESC sequence, a NUL, a lone CR) cannot move the cursor, retitle the window or hide output.
//
// Rule: a C0 control other than TAB and LF, DEL, and any byte that is not part of valid UTF-8 are
// written as \xHH; a C1 control (U+0080 to U+009F) as \u00HH. A CR directly before an LF stays
// (CSV lines end so). Everything else, backslashes included, passes unchanged.

#include <string>
#include <string_view>

namespace vorlix::cli {

// Escapes text that arrives in pieces: a UTF-8 sequence or a CR cut at the end of one piece is
// held until the next piece (or Finish) shows what it is.
class TerminalEscaper {
 public:
  // Appends the escaped form of `piece` to `out`, keeping back an unfinished sequence.
  void Feed(std::string_view piece, std::string& out);
  // Appends what was held back, escaped as it stands.
  void Finish(std::string& out);

 private:
  // kLast: nothing follows, so a cut sequence or CR at the end is escaped rather than held.
  enum class Piece { kMore, kLast };
  void Escape(std::string_view text, Piece piece, std::string& out);

  std::string held_;
};

// The whole text escaped at once.
std::string EscapeForTerminal(std::string_view text);

}  // namespace vorlix::cli
