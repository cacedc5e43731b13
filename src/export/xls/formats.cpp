#include "export/xls/formats.h"

namespace vorlix::exporter::xls {

bool TxlsFont::SameFont(const TxlsFont& o) const {
  return Size == o.Size && Style == o.Style && Color == o.Color && Script == o.Script &&
         Underline == o.Underline && Charset == o.Charset && Name == o.Name;
}

void TxlsFont::Assign(const PlatformFont& font) {
  Size = font.size;
  Style = static_cast<TxlsFontStyles>((font.bold ? xfsBold : 0) | (font.italic ? xfsItalic : 0) |
                                      (font.strikeOut ? xfsStrikeOut : 0));
  Underline = font.underline ? fulSingle : fulNone;
  Script = fscNone;
  Charset = font.charset;
  Name = font.name;
  Color = ColorFromPlatform(font.colorBgr);
}

PlatformFont TxlsFont::ToPlatform() const {
  PlatformFont f;
  f.size = Size;
  f.bold = Has(xfsBold);
  f.italic = Has(xfsItalic);
  f.strikeOut = Has(xfsStrikeOut);
  f.underline = Underline != fulNone;
  uint32_t rgb = ColorInfo(Color).rgb;
  f.colorBgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  f.charset = Charset;
  f.name = Name;
  return f;
}

bool TxlsBorders::AnyStyle() const {
  for (const TxlsBorder* b : {&Left, &Right, &Top, &Bottom, &DiagDown, &DiagUp})
    if (b->Style != bstNone) return true;
  return false;
}

void TxlsFormat::Reset() {
  Font = TxlsFont{};
  Borders = TxlsBorders{};
  Fill = TxlsFill{};
  Alignment = TxlsAlignment{};
  Wrap = false;
}

void TxlsFormat::Assign(const TxlsFormat& other) {
  Font = other.Font;
  Borders = other.Borders;
  Fill = other.Fill;
  Alignment = other.Alignment;
  Wrap = other.Wrap;
}

bool TxlsFormat::IsDefault() const {
  return Font.IsDefault() && !Borders.AnyStyle() && Fill == TxlsFill{} &&
         Alignment == TxlsAlignment{} && !Wrap;
}

void TxlsFieldFormat::Reset() {
  TxlsFormat::Reset();
  Width = 0;
  Aggregate = aggNone;
}

}  // namespace vorlix::exporter::xls
