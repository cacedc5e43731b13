#pragma once
// Text on its way into a PDF string: the program's UTF-8 texts become the 8-bit
// Windows-1252 codes the fonts are encoded with, and the characters a literal string
// treats specially are escaped.

#include <string>
#include <string_view>

namespace vorlix::exporter::pdf {

// True when every byte is below 0x80: the text reads the same in both encodings.
bool IsAscii(std::string_view text);

// UTF-8 to Windows-1252. A character the code page lacks becomes "?"; a byte that is not
// part of valid UTF-8 is taken as a Windows-1252 code already, so 8-bit text passes unchanged.
std::string WinAnsiFromUtf8(std::string_view text);

// Escapes "(", ")" and CR for a literal string. Backslashes are left as they are: the
// exporter has already doubled them.
std::string EscapeStringDelimiters(std::string_view text);

// Doubles every backslash.
std::string DoubleBackslashes(std::string_view text);

}  // namespace vorlix::exporter::pdf
