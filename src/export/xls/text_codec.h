#pragma once
// Text conversions of the workbook writer: the program's texts are UTF-8, the workbook stores
// UTF-16 and, where a record holds 8-bit text, the Windows-1252 code page it declares.

#include <string>
#include <string_view>

namespace vorlix::exporter::xls {

// UTF-8 to UTF-16; a byte that is not part of valid UTF-8 is read as a Windows-1252 character,
// so 8-bit text from older sources survives.
std::u16string Utf16FromUtf8(const std::string& text);
// The same into out (replacing its content), so a caller can reuse one buffer.
void Utf16FromUtf8(const std::string& text, std::u16string& out);

// The text passed through the 8-bit code page and back: characters the code page lacks
// become "?".
std::u16string ThroughCodePage(const std::u16string& text);

// True when every character fits the compressed 8-bit form of a workbook string
// (code units up to 0xFF).
bool FitsCompressed(const std::u16string& text);

// Number of characters (UTF-16 code units) of a UTF-8 text.
size_t Utf16Length(const std::string& text);

// The text with every character case-folded by Unicode's simple (one-to-one) folding: the key
// under which sheet titles that differ only in case, in any script, are equal.
std::u16string FoldCase(std::u16string_view text);

}  // namespace vorlix::exporter::xls
