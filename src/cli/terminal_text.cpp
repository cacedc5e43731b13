#include "cli/terminal_text.h"

#include <cstdio>

#include "platform/text_encoding.h"

namespace vorlix::cli {

namespace {

void AppendCode(const char* pattern, unsigned value, std::string& out) {
  char text[8];
  std::snprintf(text, sizeof text, pattern, value);
  out += text;
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte that cannot start one.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// True when the bytes from `at` to the end could still become a valid sequence.
bool CouldContinue(std::string_view text, size_t at) {
  const size_t length = SequenceLength(static_cast<unsigned char>(text[at]));
  if (length == 0 || at + length <= text.size()) return false;
  for (size_t i = at + 1; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

}  // namespace

void TerminalEscaper::Escape(std::string_view text, Piece piece, std::string& out) {
  const bool final = piece == Piece::kLast;
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (byte == '\r' && i + 1 == text.size() && !final) break;  // an LF may follow
      const bool crBeforeLf = byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
      if ((byte < 0x20 && byte != '\t' && byte != '\n' && !crBeforeLf) || byte == 0x7F) {
        AppendCode("\\x%02X", byte, out);
      } else {
        out += static_cast<char>(byte);
      }
      ++i;
      continue;
    }
    char32_t codePoint = 0;
    const int length = platform::DecodeUtf8(text, i, codePoint);
    if (length == 0) {
      if (!final && CouldContinue(text, i)) break;
      AppendCode("\\x%02X", byte, out);
      ++i;
    } else if (codePoint <= 0x9F) {
      AppendCode("\\u%04X", static_cast<unsigned>(codePoint), out);
      i += static_cast<size_t>(length);
    } else {
      out.append(text.substr(i, static_cast<size_t>(length)));
      i += static_cast<size_t>(length);
    }
  }
  held_.assign(text.substr(i));
}

void TerminalEscaper::Feed(std::string_view piece, std::string& out) {
  if (held_.empty()) {
    Escape(piece, Piece::kMore, out);
    return;
  }
  const std::string joined = held_ + std::string(piece);
  Escape(joined, Piece::kMore, out);
}

void TerminalEscaper::Finish(std::string& out) {
  const std::string rest = std::move(held_);
  Escape(rest, Piece::kLast, out);
}

std::string EscapeForTerminal(std::string_view text) {
  TerminalEscaper escaper;
  std::string out;
  escaper.Feed(text, out);
  escaper.Finish(out);
  return out;
}

}  // namespace vorlix::cli
