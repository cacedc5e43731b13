// The escaping of text bound for a terminal. The first byte of the input picks where the rest is
// cut into pieces; the rest is the text. Properties:
// - fed in those pieces, the text escapes exactly as it does whole;
// - what reaches the terminal is valid UTF-8 with no control character in it but TAB, LF and a
//   CR directly before an LF, no DEL and no C1 control;
// - in a text without backslashes, reading the escapes back (\xHH a byte, \u00HH a character)
//   gives the text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/terminal_text.h"
#include "fuzz_support.h"

namespace {

using vorlix::fuzz::Fail;

int HexDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

void CheckSafe(const std::string& shown) {
  for (size_t i = 0; i < shown.size();) {
    const size_t length = vorlix::fuzz::Utf8SequenceLength(shown, i);
    if (length == 0) Fail("the terminal gets a byte that is not UTF-8");
    const auto byte = static_cast<unsigned char>(shown[i]);
    const bool crlf = byte == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n';
    if ((byte < 0x20 && byte != '\t' && byte != '\n' && !crlf) || byte == 0x7F)
      Fail("the terminal gets control character " + std::to_string(byte));
    // U+0080 to U+009F are C2 80 to C2 9F.
    if (byte == 0xC2 && static_cast<unsigned char>(shown[i + 1]) <= 0x9F)
      Fail("the terminal gets a C1 control");
    i += length;
  }
}

std::string Unescaped(const std::string& shown) {
  std::string text;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\\') {
      text += shown[i];
    } else if (shown.compare(i, 2, "\\x") == 0 && i + 3 < shown.size()) {
      text += static_cast<char>(HexDigit(shown[i + 2]) * 16 + HexDigit(shown[i + 3]));
      i += 3;
    } else if (shown.compare(i, 4, "\\u00") == 0 && i + 5 < shown.size()) {
      const int code = HexDigit(shown[i + 4]) * 16 + HexDigit(shown[i + 5]);
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
      i += 5;
    } else {
      Fail("a backslash that starts no escape");
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned cuts = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string whole = vorlix::cli::EscapeForTerminal(text);

  // Pieces of 1 to 8 bytes, their lengths taken from the first byte's bits in turn.
  vorlix::cli::TerminalEscaper escaper;
  std::string pieced;
  for (size_t at = 0, k = 0; at < text.size(); ++k) {
    const size_t length = 1 + ((cuts >> (k % 6)) & 7);
    escaper.Feed(std::string_view(text).substr(at, length), pieced);
    at += length;
  }
  escaper.Finish(pieced);
  if (pieced != whole) Fail("the text escapes differently when it comes in pieces");

  CheckSafe(whole);
  if (text.find('\\') == std::string::npos && Unescaped(whole) != text)
    Fail("the escapes do not read back as the text");
  return 0;
}
