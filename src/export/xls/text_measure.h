#pragma once
// Text measurement for column widths. The default measures with built-in advance widths of
// Arial at 96 dots per inch, so no display is needed; a window may pass a measurer backed by
// its own fonts.

#include <cstdint>
#include <string>

#include "export/xls/formats.h"

namespace vorlix::exporter::xls {

class ITextMeasure {
 public:
  virtual ~ITextMeasure() = default;
  // Width in pixels of a UTF-8 text drawn in font.
  virtual double TextWidth(const std::string& text, const TxlsFont& font) const = 0;
};

// Arial (regular and bold) advance widths, rounded to whole pixels per character as a screen
// font at 96 dpi is; italic and other names are measured as Arial.
class ArialMetrics : public ITextMeasure {
 public:
  double TextWidth(const std::string& text, const TxlsFont& font) const override;
};

// The measurer used when none is set.
const ITextMeasure& DefaultTextMeasure();

// Widest column a sheet shows: 255 characters, in 1/256 of a character.
inline constexpr int kMaxColumnWidthUnits = 255 * 256;

// Width in pixels of "0" in the default font, the unit of column widths; 7 when the measurer
// gives none.
double ZeroWidth(const ITextMeasure& measure);

// The stored width of a column of `characters` characters: the characters plus the cell
// margins, in 1/256 of the width of "0", rounded to the nearest unit and kept within 0 to
// kMaxColumnWidthUnits. Both workbook writers store column widths this way.
uint16_t StoredColumnWidth(int characters, const ITextMeasure& measure);

}  // namespace vorlix::exporter::xls
