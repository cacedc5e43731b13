#include "export/pdf/pdf_font.h"

namespace vorlix::exporter::pdf {

std::string_view BaseFontName(TPDFFontName name) {
  switch (name) {
    case TPDFFontName::poHelvetica:
      return "Helvetica";
    case TPDFFontName::poHelveticaBold:
      return "Helvetica-Bold";
    case TPDFFontName::poHelveticaOblique:
      return "Helvetica-Oblique";
    case TPDFFontName::poHelveticaBoldOblique:
      return "Helvetica-BoldOblique";
    case TPDFFontName::poCourier:
      return "Courier";
    case TPDFFontName::poCourierBold:
      return "Courier-Bold";
    case TPDFFontName::poCourierOblique:
      return "Courier-Oblique";
    case TPDFFontName::poCourierBoldOblique:
      return "Courier-BoldOblique";
    case TPDFFontName::poTimesRoman:
      return "Times-Roman";
    case TPDFFontName::poTimesBold:
      return "Times-Bold";
    case TPDFFontName::poTimesItalic:
      return "Times-Italic";
    case TPDFFontName::poTimesBoldItalic:
      return "Times-BoldItalic";
    case TPDFFontName::poSymbol:
      return "Symbol";
    case TPDFFontName::poZapfDingbats:
      return "ZapfDingbats";
  }
  return "Helvetica";
}

std::string_view EncodingName(TPDFFontEncoding encoding) {
  switch (encoding) {
    case TPDFFontEncoding::poStandardEncoding:
      return "StandardEncoding";
    case TPDFFontEncoding::poWinAnsiEncoding:
      return "WinAnsiEncoding";
    case TPDFFontEncoding::poMacRomanEncoding:
      return "MacRomanEncoding";
    case TPDFFontEncoding::poPDFDocEncoding:
      return "PDFDocEncoding";
  }
  return "WinAnsiEncoding";
}

}  // namespace vorlix::exporter::pdf
