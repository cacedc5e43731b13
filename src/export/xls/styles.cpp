#include "export/xls/styles.h"

#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

constexpr uint8_t kStyleRecords[6][4] = {{0x10, 0x80, 0x03, 0xFF}, {0x11, 0x80, 0x06, 0xFF},
                                         {0x12, 0x80, 0x04, 0xFF}, {0x13, 0x80, 0x07, 0xFF},
                                         {0x00, 0x80, 0x00, 0xFF}, {0x14, 0x80, 0x05, 0xFF}};

// The fields of an XF record that differ between XFs.
struct XFFields {
  uint16_t font = 0, numberFormat = 0, typeProtection = 0;
  uint8_t alignment = 0x20;  // general, bottom, no wrap
  uint8_t used = 0;          // attributes the XF sets itself (6 bits, shifted by 2)
  uint16_t lines = 0, borderColors = 0;
  uint32_t colorsAndPattern = 0;
  uint16_t fillColors = 0x20C0;
};

// XF: font, number format, type and protection, alignment, no rotation, indent or shrink, the
// attributes used, border lines and colours, fill pattern and colours.
std::vector<uint8_t> XFData(const XFFields& f) {
  std::vector<uint8_t> data;
  BiffBytes(data)
      .U16(f.font)
      .U16(f.numberFormat)
      .U16(f.typeProtection)
      .U8(f.alignment)
      .U8(0)
      .U8(0)
      .U8(f.used)
      .U16(f.lines)
      .U16(f.borderColors)
      .U32(f.colorsAndPattern)
      .U16(f.fillColors);
  return data;
}

bool SameOptionalFont(const RegisteredFont* a, const std::optional<TxlsFont>& b) {
  if (a == nullptr || !b) return a == nullptr && !b;
  return a->Font.SameFont(*b);
}

uint8_t UnderlineCode(TxlsFontUnderline underline) {
  switch (underline) {
    case fulSingle:
      return 0x01;
    case fulDouble:
      return 0x02;
    case fulSingleAccounting:
      return 0x21;
    case fulDoubleAccounting:
      return 0x22;
    default:
      return 0;
  }
}

// FONT: height in twips, italic and strike-out, colour, weight, script, underline, family 0,
// character set, then the name (at most 255 characters) in UTF-16.
std::vector<uint8_t> FontData(const TxlsFont& font) {
  const std::u16string name = Utf16FromUtf8(font.Name).substr(0, 255);
  std::vector<uint8_t> data;
  BiffBytes d(data);
  d.U16(static_cast<uint16_t>(font.Size * 20));
  d.U16(static_cast<uint16_t>((font.Has(xfsItalic) ? 0x0002 : 0) |
                              (font.Has(xfsStrikeOut) ? 0x0008 : 0)));
  d.U16(PaletteIndex(font.Color)).U16(font.Has(xfsBold) ? 700 : 400).U16(font.Script);
  d.U8(UnderlineCode(font.Underline)).U8(0).U8(font.Charset).U8(0);
  d.U8(static_cast<uint8_t>(name.size())).U8(0x01);
  PutUtf16(d, name);
  return data;
}

// FORMAT: the number format's index and its picture in UTF-16.
std::vector<uint8_t> FormatData(uint16_t index, const std::u16string& format) {
  std::vector<uint8_t> data;
  BiffBytes d(data);
  d.U16(index).U16(static_cast<uint16_t>(format.size())).U8(0x01);
  PutUtf16(d, format);
  return data;
}

// The fields of the fixed XF records 0 to 15: 0 and 15 are the normal style and cell XF.
XFFields FixedXF(int index) {
  XFFields f;
  f.font = index == 1 || index == 2 || index == 15 ? 1 : index == 3 || index == 4 ? 2 : 0;
  f.typeProtection = index == 15 ? 0x0001 : 0xFFF5;
  f.used = index == 0 || index == 15 ? 0x00 : 0xF4;
  return f;
}

// The fields of a registered cell XF.
XFFields CellXF(const TxlsXFormat& xf) {
  XFFields f;
  f.font = 1;
  f.typeProtection = 0x0001;
  f.used = 0x40 | 0x10;  // fill and alignment
  f.fillColors = static_cast<uint16_t>((PaletteIndex(xf.Fill.Background) & 0x7F) |
                                       ((PaletteIndex(xf.Fill.Foreground) & 0x7F) << 7));
  f.colorsAndPattern = uint32_t{xf.Fill.Pattern} << 26;
  if (xf.Font != nullptr) {
    f.used |= 0x08;
    f.font = xf.Font->Index;
  }
  if (xf.NumberFormat != nullptr) f.numberFormat = xf.NumberFormat->Index;
  const TxlsBorders& b = xf.Borders;
  if (b.AnyStyle()) {
    f.used |= 0x20;
    if (b.Left.Style != bstNone) {
      f.lines |= b.Left.Style & 0x0F;
      f.borderColors |= PaletteIndex(b.Left.Color) & 0x7F;
    }
    if (b.Right.Style != bstNone) {
      f.lines |= (b.Right.Style & 0x0F) << 4;
      f.borderColors |= (PaletteIndex(b.Right.Color) & 0x7F) << 7;
    }
    if (b.Top.Style != bstNone) {
      f.lines |= (b.Top.Style & 0x0F) << 8;
      f.colorsAndPattern |= PaletteIndex(b.Top.Color) & 0x7F;
    }
    if (b.Bottom.Style != bstNone) {
      f.lines |= (b.Bottom.Style & 0x0F) << 12;
      f.colorsAndPattern |= uint32_t(PaletteIndex(b.Bottom.Color) & 0x7F) << 7;
    }
    if (b.DiagDown.Style != bstNone) f.borderColors |= 0x4000;
    if (b.DiagUp.Style != bstNone) f.borderColors |= 0x8000;
    const TxlsBorder* diag = b.DiagDown.Style != bstNone ? &b.DiagDown
                             : b.DiagUp.Style != bstNone ? &b.DiagUp
                                                         : nullptr;
    if (diag != nullptr) {
      f.colorsAndPattern |= uint32_t(PaletteIndex(diag->Color) & 0x7F) << 14;
      f.colorsAndPattern |= uint32_t(diag->Style & 0x0F) << 21;
    }
  }
  f.alignment = static_cast<uint8_t>(xf.Alignment.Horizontal + 8 * (xf.Wrap ? 1 : 0) +
                                     16 * xf.Alignment.Vertical);
  return f;
}

}  // namespace

TbiffFont::TbiffFont(const TxlsFont& font) : TbiffRecord(FontData(font), rid::kFont) {}

TbiffFormat::TbiffFormat(uint16_t index, const std::u16string& format)
    : TbiffRecord(FormatData(index, format), rid::kFormat) {}

TbiffXF::TbiffXF(std::vector<uint8_t> data) : TbiffRecord(std::move(data), rid::kXF) {}

std::unique_ptr<TbiffXF> TbiffXF::Fixed(int index) {
  return std::unique_ptr<TbiffXF>(new TbiffXF(XFData(FixedXF(index))));
}

TbiffXF::TbiffXF(const TxlsXFormat& xf) : TbiffXF(XFData(CellXF(xf))) {}

TbiffStyle::TbiffStyle(const uint8_t bytes[4])
    : TbiffRecord(std::vector<uint8_t>(bytes, bytes + 4), rid::kStyle) {}

StyleTable::StyleTable() = default;

const RegisteredFont* StyleTable::RegisterFont(const TxlsFont& font) {
  for (const RegisteredFont& f : fonts_)
    if (f.Font.SameFont(font)) return &f;
  fonts_.push_back({++lastFont_, font});
  return &fonts_.back();
}

const TxlsTextFormat* StyleTable::RegisterNumberFormat(const std::string& format) {
  for (const TxlsTextFormat& f : numberFormats_)
    if (f.Format == format) return &f;
  numberFormats_.push_back({++lastNumberFormat_, format});
  return &numberFormats_.back();
}

uint16_t StyleTable::GetCellXF(const std::string& formatString, const TxlsFormat* format) {
  if (formatString == "General" && format == nullptr) return kDefaultCellXF;
  const std::string s = formatString.empty() ? "General" : formatString;
  const bool hasNumberFormat = s != "General";

  std::optional<TxlsFont> font;
  TxlsBorders borders;
  TxlsFill fill;
  TxlsAlignment alignment;
  bool wrap = false;
  if (format != nullptr) {
    if (!format->Font.SameFont(dataFont_)) font = format->Font;
    borders = format->Borders;
    fill = format->Fill;
    alignment = format->Alignment;
    wrap = format->Wrap;
  }
  for (const TxlsXFormat& xf : xfs_) {
    bool sameFormat = xf.NumberFormat == nullptr ? !hasNumberFormat
                                                 : hasNumberFormat && xf.NumberFormat->Format == s;
    if (sameFormat && SameOptionalFont(xf.Font, font) && xf.Borders == borders && xf.Fill == fill &&
        xf.Alignment == alignment && xf.Wrap == wrap)
      return xf.Index;
  }
  TxlsXFormat xf;
  xf.Font = font ? RegisterFont(*font) : nullptr;
  xf.NumberFormat = hasNumberFormat ? RegisterNumberFormat(s) : nullptr;
  xf.Borders = borders;
  xf.Fill = fill;
  xf.Alignment = alignment;
  xf.Wrap = wrap;
  xf.Index = ++lastXF_;
  xfs_.push_back(xf);
  return xf.Index;
}

const TxlsXFormat* StyleTable::FindXF(uint16_t index) const {
  if (index <= kDefaultCellXF) return nullptr;
  size_t position = index - kDefaultCellXF - 1;
  return position < xfs_.size() ? &xfs_[position] : nullptr;
}

void StyleTable::WriteRecords(XlsByteSink& out) const {
  for (int i = 0; i < 4; ++i) TbiffFont(TxlsFont{}).SaveToStream(out);
  for (const RegisteredFont& f : fonts_) TbiffFont(f.Font).SaveToStream(out);
  for (const TxlsTextFormat& f : numberFormats_)
    TbiffFormat(f.Index, ThroughCodePage(Utf16FromUtf8(f.Format))).SaveToStream(out);
  for (int i = 0; i <= 15; ++i) TbiffXF::Fixed(i)->SaveToStream(out);
  for (const TxlsXFormat& xf : xfs_) TbiffXF(xf).SaveToStream(out);
  for (const auto& style : kStyleRecords) TbiffStyle(style).SaveToStream(out);
}

void StyleTable::WritePalette(XlsByteSink& out) {
  // PALETTE: 56 colours, each as red, green, blue and a zero byte.
  std::vector<uint8_t> record;
  BiffBytes d(record);
  d.U16(rid::kPalette).U16(226).U16(56);
  for (int i = 0; i < 56; ++i) {
    const uint32_t rgb = PaletteRgb(8 + i);
    d.U8(static_cast<uint8_t>(rgb >> 16)).U8(static_cast<uint8_t>(rgb >> 8));
    d.U8(static_cast<uint8_t>(rgb)).U8(0);
  }
  out.Write(record.data(), record.size());
}

}  // namespace vorlix::exporter::xls
