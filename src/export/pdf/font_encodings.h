#pragma once
// The 8-bit encodings a PDF font may declare, as the text of a page must be coded for them:
// WinAnsiEncoding (Windows-1252), MacRomanEncoding and StandardEncoding, with the glyphs the
// PDF format gives each code.

#include <string>
#include <string_view>

#include "export/pdf/pdf_font.h"

namespace vorlix::exporter::pdf {

// The code of a character in the encoding, or -1 when the encoding has no glyph for it.
// Codes below 0x20 pass unchanged. PDFDocEncoding is not a font encoding: readers fall back to
// the standard fonts' own encoding, StandardEncoding, so its text is coded for that.
int CodeInEncoding(char32_t character, TPDFFontEncoding encoding);

// UTF-8 text to the codes of the encoding; a character the encoding lacks becomes "?". A byte
// that is not part of valid UTF-8 is read as a Windows-1252 character, so 8-bit text passes.
std::string TextForEncoding(std::string_view text, TPDFFontEncoding encoding);

}  // namespace vorlix::exporter::pdf
