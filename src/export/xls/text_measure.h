#pragma once
// Text measurement for column widths. The default measures with built-in advance widths of
// Arial at 96 dots per inch, so no display is needed; a window may pass a measurer backed by
// its own fonts.

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
class TArialMetrics : public ITextMeasure {
 public:
  double TextWidth(const std::string& text, const TxlsFont& font) const override;
};

// The measurer used when none is set.
const ITextMeasure& DefaultTextMeasure();

}  // namespace vorlix::exporter::xls
