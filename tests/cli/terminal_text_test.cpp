#include "cli/terminal_text.h"

#include <gtest/gtest.h>

namespace vorlix::cli {
namespace {

TEST(TerminalText, ControlCharactersAreShownEscaped) {
  EXPECT_EQ(EscapeForTerminal("a\x1B[2Jb"), "a\\x1B[2Jb");
  EXPECT_EQ(EscapeForTerminal(std::string("n\0l", 3)), "n\\x00l");
  EXPECT_EQ(EscapeForTerminal("bell\x07 back\x08 del\x7F"), "bell\\x07 back\\x08 del\\x7F");
  // A lone CR could overwrite the line; before an LF it is a line end.
  EXPECT_EQ(EscapeForTerminal("over\rwrite\r\n"), "over\\x0Dwrite\r\n");
  EXPECT_EQ(EscapeForTerminal("end\r"), "end\\x0D");
  // C1 controls in UTF-8, and bytes that are not UTF-8 (a Latin-1 terminal reads 0x9B as CSI).
  EXPECT_EQ(EscapeForTerminal("csi\xC2\x9B"
                              "2J"),
            "csi\\u009B2J");
  EXPECT_EQ(EscapeForTerminal("raw\x9B"
                              "2J \xFF"),
            "raw\\x9B2J \\xFF");
}

TEST(TerminalText, OrdinaryTextPassesUnchanged) {
  const std::string text =
      "tab\tline\nanna\\.berg \xC2\xA0nbsp caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(EscapeForTerminal(text), text);
}

TEST(TerminalText, ASequenceCutBetweenPiecesIsJudgedWhole) {
  const std::string text = "caf\xC3\xA9\r\n\xC2\x9B\xE2\x82\xAC";
  const std::string whole = EscapeForTerminal(text);
  // Every cut point, so that a UTF-8 sequence or a CR LF pair is split in every way.
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    TerminalEscaper escaper;
    std::string out;
    escaper.Feed(text.substr(0, cut), out);
    escaper.Feed(text.substr(cut), out);
    escaper.Finish(out);
    EXPECT_EQ(out, whole) << "cut at " << cut;
  }
  // A cut sequence that never completes is escaped byte by byte at the end.
  TerminalEscaper escaper;
  std::string out;
  escaper.Feed("x\xE2\x82", out);
  EXPECT_EQ(out, "x");
  escaper.Finish(out);
  EXPECT_EQ(out, "x\\xE2\\x82");
}

}  // namespace
}  // namespace vorlix::cli
