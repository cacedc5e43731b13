#pragma once
// The 56 named colours of the workbook palette: each has a palette index (8 to 63) and an RGB
// value. Records store the palette index.

#include <cstdint>

namespace vorlix::exporter::xls {

enum TxlsColor : uint8_t {
  clrBlack,
  clrBrown,
  clrOliveGreen,
  clrDarkGreen,
  clrDarkTeal,
  clrDarkBlue,
  clrIndigo,
  clrGray80Percent,
  clrDarkRed,
  clrOrange,
  clrDarkYellow,
  clrGreen,
  clrTeal,
  clrBlue,
  clrBlueGray,
  clrGray50Percent,
  clrRed,
  clrLightOrange,
  clrLime,
  clrSeaGreen,
  clrAqua,
  clrLightBlue,
  clrViolet,
  clrGray40Percent,
  clrPink,
  clrGold,
  clrYellow,
  clrBrightGreen,
  clrTurquoise,
  clrSkyBlue,
  clrPlum,
  clrGray25Percent,
  clrRose,
  clrTan,
  clrLightYellow,
  clrLihtGreen,
  clrLightTurquoise,
  clrPaleBlue,
  clrLavender,
  clrWhite,
  clrColor1,
  clrColor2,
  clrColor3,
  clrColor4,
  clrColor5,
  clrColor6,
  clrColor7,
  clrColor8,
  clrColor9,
  clrColor10,
  clrColor11,
  clrColor12,
  clrColor13,
  clrColor14,
  clrColor15,
  clrColor16
};

constexpr int kColorCount = 56;

struct ColorEntry {
  uint8_t paletteIndex;
  uint32_t rgb;  // 0xRRGGBB
};

const ColorEntry& ColorInfo(TxlsColor color);
uint8_t PaletteIndex(TxlsColor color);
// RGB (0xRRGGBB) of palette index 8 to 63; 0 outside that range.
uint32_t PaletteRgb(int paletteIndex);
// The named colour of a platform colour written 0xBBGGRR; colours without a name give clrBlack.
TxlsColor ColorFromPlatform(uint32_t bgr);

}  // namespace vorlix::exporter::xls
