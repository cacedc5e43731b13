#pragma once
// The character encodings the program's texts meet: UTF-8 inside the program, and the
// Windows-1252 code page that 8-bit spreadsheet records and PDF fonts declare.

#include <cstddef>
#include <string_view>

namespace vorlix::platform {

// Length (1 to 4) of the valid UTF-8 sequence at `at`, with its code point in `codePoint`;
// 0 when the bytes there are not valid UTF-8 (stray continuation bytes, overlong forms,
// surrogates, code points past U+10FFFF, a sequence cut off by the end of the text).
int DecodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint);

// Characters of a text as the user counts them: each valid UTF-8 sequence is one, and so is each
// byte that is not part of one (it stands for a Windows-1252 character). Limits on names and
// patterns are in these characters, never in bytes.
std::size_t CharacterCount(std::string_view text);

// The character of a Windows-1252 byte; the five codes the page leaves undefined map to
// themselves.
char32_t FromCp1252(unsigned char byte);

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int ToCp1252(char32_t codePoint);

}  // namespace vorlix::platform
