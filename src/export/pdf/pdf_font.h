#pragma once
// A font as the PDF document references it: resource name, one of the 14 standard
// Type 1 fonts, size, encoding and colour.

#include <string>
#include <string_view>
#include <utility>

#include "export/pdf/pdf_color.h"

namespace vorlix::exporter::pdf {

enum class TPDFFontName {
  poHelvetica,
  poHelveticaBold,
  poHelveticaOblique,
  poHelveticaBoldOblique,
  poCourier,
  poCourierBold,
  poCourierOblique,
  poCourierBoldOblique,
  poTimesRoman,
  poTimesBold,
  poTimesItalic,
  poTimesBoldItalic,
  poSymbol,
  poZapfDingbats,
};

enum class TPDFFontEncoding {
  poStandardEncoding,
  poWinAnsiEncoding,
  poMacRomanEncoding,
  poPDFDocEncoding,
};

// The /BaseFont name written for a font ("Helvetica-Bold").
std::string_view BaseFontName(TPDFFontName name);

// The /Encoding name written for an encoding ("WinAnsiEncoding").
std::string_view EncodingName(TPDFFontEncoding encoding);

// Copying a font copies all five fields, Name included.
struct TPDFFont {
  std::string Name;
  TPDFFontName BaseFont = TPDFFontName::poHelvetica;
  int FontSize = 10;
  TPDFFontEncoding FontEncoding = TPDFFontEncoding::poWinAnsiEncoding;
  TColor FontColor = clBlack;

  TPDFFont() = default;
  explicit TPDFFont(std::string name) : Name(std::move(name)) {}

  friend bool operator==(const TPDFFont&, const TPDFFont&) = default;
};

}  // namespace vorlix::exporter::pdf
