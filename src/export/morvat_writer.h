#pragma once
// The output end of an export run: appends texts and lines (ended by CR LF) to the stream.
// Exporters that need more derive their own writer and return it from CreateWriter.

#include <string>
#include <string_view>

#include "export/morvat_stream.h"
#include "export/morvat_types.h"

namespace vorlix::exporter {

class TMorvat3;

class TMorvatWriter {
 public:
  TMorvatWriter(TMorvat3& owner, MorvatStream& stream) : Owner(owner), Stream(stream) {}
  virtual ~TMorvatWriter() = default;
  TMorvatWriter(const TMorvatWriter&) = delete;
  TMorvatWriter& operator=(const TMorvatWriter&) = delete;

  // "Left alignment", "Center alignment", "Right alignment" or "Unknown alignment".
  virtual std::string AlignName(int align) const;

  // The bytes of the text as they are, no line end.
  void Write(std::string_view text) { Stream.Write(text); }
  // The text followed by CR LF.
  void WriteLn(std::string_view text);
  void EmptyLine() { WriteLn({}); }
  // A line of `count` copies of `ch`.
  void CharLine(char ch, int count);

  // Pad operations count characters as platform::CharacterCount does and never shorten a text.
  static std::string PadLeft(const std::string& text, char ch, int width);
  static std::string PadRight(const std::string& text, char ch, int width);
  // (width - length) / 2 copies in front (rounded toward zero), the rest behind.
  static std::string PadCenter(const std::string& text, char ch, int width);

  TMorvat3& Owner;
  MorvatStream& Stream;
};

}  // namespace vorlix::exporter
