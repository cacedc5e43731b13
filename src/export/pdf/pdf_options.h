#pragma once
// Options of the PDF exporter: page, the four fonts, row and column spacing, grid lines.
// Copying copies every field, fonts (with their names) included.

#include "export/pdf/pdf_color.h"
#include "export/pdf/pdf_font.h"
#include "export/pdf/pdf_page_options.h"

namespace vorlix::exporter::pdf {

struct TPDFOptions {
  TMorvatPDFPageOptions PageOptions;
  TPDFFont HeaderFont{"HeaderFont"};
  TPDFFont CaptionFont{"CaptionFont"};
  TPDFFont DataFont{"DataFont"};  // also the unit of the column widths
  TPDFFont FooterFont{"FooterFont"};
  double RowSpacing = 1.0;  // extra row height, in multiples of the font size
  double ColSpacing = 3.0;  // extra column width, in average characters
  int GridLineWidth = 1;    // in points; 0 is the thinnest line a viewer draws
  TColor GridLineColor = clBlack;

  friend bool operator==(const TPDFOptions&, const TPDFOptions&) = default;
};

}  // namespace vorlix::exporter::pdf
