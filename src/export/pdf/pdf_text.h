#pragma once
// Text on its way into a PDF string: the characters a literal string treats specially are
// escaped. (The codes of a font's encoding come from font_encodings.h.)

#include <string>
#include <string_view>

namespace vorlix::exporter::pdf {

// UTF-8 to Windows-1252. A character the code page lacks becomes "?"; a byte that is not
// part of valid UTF-8 is taken as a Windows-1252 code already, so 8-bit text passes unchanged.
std::string WinAnsiFromUtf8(std::string_view text);

// Escapes "(", ")" and CR for a literal string. Backslashes are left as they are: the
// exporter has already doubled them.
std::string EscapeStringDelimiters(std::string_view text);

// Doubles every backslash.
std::string DoubleBackslashes(std::string_view text);

}  // namespace vorlix::exporter::pdf
