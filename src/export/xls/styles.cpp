#include "export/xls/styles.h"

#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

constexpr uint8_t kStyleRecords[6][4] = {{0x10, 0x80, 0x03, 0xFF}, {0x11, 0x80, 0x06, 0xFF},
                                         {0x12, 0x80, 0x04, 0xFF}, {0x13, 0x80, 0x07, 0xFF},
                                         {0x00, 0x80, 0x00, 0xFF}, {0x14, 0x80, 0x05, 0xFF}};

// Bytes of the fixed XF 15: font 1, format 0, cell XF, general/bottom, fill word 0x20C0.
void PutFixedXF(uint8_t* d, uint16_t font, uint16_t typeProtection, uint8_t used) {
  PutU16(d + 0, font);
  PutU16(d + 2, 0);
  PutU16(d + 4, typeProtection);
  d[6] = 0x20;
  d[7] = 0;
  d[8] = 0;
  d[9] = used;
  PutU16(d + 10, 0);
  PutU16(d + 12, 0);
  PutU32(d + 14, 0);
  PutU16(d + 18, 0x20C0);
}

bool SameOptionalFont(const TxlsRegisteredFont* a, const std::optional<TxlsFont>& b) {
  if (a == nullptr || !b) return a == nullptr && !b;
  return a->Font.SameFont(*b);
}

}  // namespace

TbiffFont::TbiffFont(const TxlsFont& font)
    : TbiffRecord(16 + 2 * Utf16FromUtf8(font.Name).substr(0, 255).size(), rid::kFont) {
  std::u16string name = Utf16FromUtf8(font.Name).substr(0, 255);
  uint8_t* d = Data();
  PutU16(d + 0, static_cast<uint16_t>(font.Size * 20));
  PutU16(d + 2, static_cast<uint16_t>((font.Has(xfsItalic) ? 0x0002 : 0) |
                                      (font.Has(xfsStrikeOut) ? 0x0008 : 0)));
  PutU16(d + 4, PaletteIndex(font.Color));
  PutU16(d + 6, font.Has(xfsBold) ? 700 : 400);
  PutU16(d + 8, font.Script);
  uint8_t underline = 0;
  switch (font.Underline) {
    case fulSingle:
      underline = 0x01;
      break;
    case fulDouble:
      underline = 0x02;
      break;
    case fulSingleAccounting:
      underline = 0x21;
      break;
    case fulDoubleAccounting:
      underline = 0x22;
      break;
    default:
      break;
  }
  d[10] = underline;
  d[11] = 0;
  d[12] = font.Charset;
  d[13] = 0;
  d[14] = static_cast<uint8_t>(name.size());
  d[15] = 0x01;
  for (size_t i = 0; i < name.size(); ++i) PutU16(d + 16 + 2 * i, name[i]);
}

TbiffFormat::TbiffFormat(uint16_t index, const std::u16string& format)
    : TbiffRecord(5 + 2 * format.size(), rid::kFormat) {
  uint8_t* d = Data();
  PutU16(d, index);
  PutU16(d + 2, static_cast<uint16_t>(format.size()));
  d[4] = 0x01;
  for (size_t i = 0; i < format.size(); ++i) PutU16(d + 5 + 2 * i, format[i]);
}

TbiffXF::TbiffXF() : TbiffRecord(20, rid::kXF) {}

std::unique_ptr<TbiffXF> TbiffXF::Fixed(int index) {
  std::unique_ptr<TbiffXF> xf(new TbiffXF());
  uint16_t font = index == 1 || index == 2 || index == 15 ? 1 : index == 3 || index == 4 ? 2 : 0;
  uint16_t type = index == 15 ? 0x0001 : 0xFFF5;
  uint8_t used = index == 0 || index == 15 ? 0x00 : 0xF4;
  PutFixedXF(xf->Data(), font, type, used);
  return xf;
}

TbiffXF::TbiffXF(const TxlsXFormat& xf) : TbiffRecord(20, rid::kXF) {
  uint8_t* d = Data();
  PutFixedXF(d, 1, 0x0001, 0x00);
  // Fill.
  d[9] |= 0x40;
  uint16_t fillColors = static_cast<uint16_t>((PaletteIndex(xf.Fill.Background) & 0x7F) |
                                              ((PaletteIndex(xf.Fill.Foreground) & 0x7F) << 7));
  PutU16(d + 18, fillColors);
  uint32_t word14 = uint32_t{xf.Fill.Pattern} << 26;
  // Font and number format.
  if (xf.Font != nullptr) {
    d[9] |= 0x08;
    PutU16(d + 0, xf.Font->Index);
  }
  if (xf.NumberFormat != nullptr) PutU16(d + 2, xf.NumberFormat->Index);
  // Borders.
  const TxlsBorders& b = xf.Borders;
  uint16_t lines = 0, word12 = 0;
  if (b.AnyStyle()) {
    d[9] |= 0x20;
    if (b.Left.Style != bstNone) {
      lines |= b.Left.Style & 0x0F;
      word12 |= PaletteIndex(b.Left.Color) & 0x7F;
    }
    if (b.Right.Style != bstNone) {
      lines |= (b.Right.Style & 0x0F) << 4;
      word12 |= (PaletteIndex(b.Right.Color) & 0x7F) << 7;
    }
    if (b.Top.Style != bstNone) {
      lines |= (b.Top.Style & 0x0F) << 8;
      word14 |= PaletteIndex(b.Top.Color) & 0x7F;
    }
    if (b.Bottom.Style != bstNone) {
      lines |= (b.Bottom.Style & 0x0F) << 12;
      word14 |= uint32_t(PaletteIndex(b.Bottom.Color) & 0x7F) << 7;
    }
    if (b.DiagDown.Style != bstNone) word12 |= 0x4000;
    if (b.DiagUp.Style != bstNone) word12 |= 0x8000;
    const TxlsBorder* diag = b.DiagDown.Style != bstNone ? &b.DiagDown
                             : b.DiagUp.Style != bstNone ? &b.DiagUp
                                                         : nullptr;
    if (diag != nullptr) {
      word14 |= uint32_t(PaletteIndex(diag->Color) & 0x7F) << 14;
      word14 |= uint32_t(diag->Style & 0x0F) << 21;
    }
  }
  PutU16(d + 10, lines);
  PutU16(d + 12, word12);
  PutU32(d + 14, word14);
  // Alignment.
  d[6] = static_cast<uint8_t>(xf.Alignment.Horizontal + 8 * (xf.Wrap ? 1 : 0) +
                              16 * xf.Alignment.Vertical);
  d[9] |= 0x10;
}

TbiffStyle::TbiffStyle(const uint8_t bytes[4]) : TbiffRecord(4, rid::kStyle) {
  for (int i = 0; i < 4; ++i) Data()[i] = bytes[i];
}

TxlsStyleTable::TxlsStyleTable() = default;

const TxlsRegisteredFont* TxlsStyleTable::RegisterFont(const TxlsFont& font) {
  for (const TxlsRegisteredFont& f : fonts_)
    if (f.Font.SameFont(font)) return &f;
  fonts_.push_back({++lastFont_, font});
  return &fonts_.back();
}

const TxlsTextFormat* TxlsStyleTable::RegisterNumberFormat(const std::string& format) {
  for (const TxlsTextFormat& f : numberFormats_)
    if (f.Format == format) return &f;
  numberFormats_.push_back({++lastNumberFormat_, format});
  return &numberFormats_.back();
}

uint16_t TxlsStyleTable::GetCellXF(const std::string& formatString, const TxlsFormat* format) {
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

const TxlsXFormat* TxlsStyleTable::FindXF(uint16_t index) const {
  if (index <= kDefaultCellXF) return nullptr;
  size_t position = index - kDefaultCellXF - 1;
  return position < xfs_.size() ? &xfs_[position] : nullptr;
}

void TxlsStyleTable::WriteRecords(TxlsByteSink& out) const {
  for (int i = 0; i < 4; ++i) TbiffFont(TxlsFont{}).SaveToStream(out);
  for (const TxlsRegisteredFont& f : fonts_) TbiffFont(f.Font).SaveToStream(out);
  for (const TxlsTextFormat& f : numberFormats_)
    TbiffFormat(f.Index, ThroughCodePage(Utf16FromUtf8(f.Format))).SaveToStream(out);
  for (int i = 0; i <= 15; ++i) TbiffXF::Fixed(i)->SaveToStream(out);
  for (const TxlsXFormat& xf : xfs_) TbiffXF(xf).SaveToStream(out);
  for (const auto& style : kStyleRecords) TbiffStyle(style).SaveToStream(out);
}

void TxlsStyleTable::WritePalette(TxlsByteSink& out) {
  uint8_t record[230];
  PutU16(record, rid::kPalette);
  PutU16(record + 2, 226);
  PutU16(record + 4, 56);
  for (int i = 0; i < 56; ++i) {
    uint32_t rgb = PaletteRgb(8 + i);
    uint8_t* p = record + 6 + 4 * i;
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
    p[3] = 0;
  }
  out.Write(record, sizeof record);
}

}  // namespace vorlix::exporter::xls
