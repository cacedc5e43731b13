#include "export/xls/colors.h"

namespace vorlix::exporter::xls {

namespace {

constexpr ColorEntry kColors[kColorCount] = {
    {8, 0x000000},  {60, 0x993300}, {59, 0x333300}, {58, 0x003300}, {56, 0x003366}, {18, 0x000080},
    {62, 0x333399}, {63, 0x333333}, {16, 0x800000}, {53, 0xFF6600}, {19, 0x808000}, {17, 0x008000},
    {21, 0x008080}, {12, 0x0000FF}, {54, 0x666699}, {23, 0x808080}, {10, 0xFF0000}, {52, 0xFF9900},
    {50, 0x99CC00}, {57, 0x339966}, {49, 0x33CCCC}, {48, 0x3366FF}, {20, 0x800080}, {55, 0x969696},
    {14, 0xFF00FF}, {51, 0xFFCC00}, {13, 0xFFFF00}, {11, 0x00FF00}, {15, 0x00FFFF}, {40, 0x00CCFF},
    {61, 0x993366}, {22, 0xC0C0C0}, {45, 0xFF99CC}, {47, 0xFFCC99}, {43, 0xFFFF99}, {42, 0xCCFFCC},
    {41, 0xCCFFFF}, {44, 0x99CCFF}, {46, 0xCC99FF}, {9, 0xFFFFFF},  {24, 0x9999FF}, {25, 0x993366},
    {26, 0xFFFFCC}, {27, 0xCCFFFF}, {28, 0x660066}, {29, 0xFF8080}, {30, 0x0066CC}, {31, 0xCCCCFF},
    {32, 0x000080}, {33, 0xFF00FF}, {34, 0xFFFF00}, {35, 0x00FFFF}, {36, 0x800080}, {37, 0x800000},
    {38, 0x008080}, {39, 0x0000FF}};

}  // namespace

const ColorEntry& ColorInfo(TxlsColor color) {
  return kColors[color < kColorCount ? color : 0];
}

uint8_t PaletteIndex(TxlsColor color) {
  return ColorInfo(color).paletteIndex;
}

uint32_t PaletteRgb(int paletteIndex) {
  for (const ColorEntry& c : kColors)
    if (c.paletteIndex == paletteIndex) return c.rgb;
  return 0;
}

TxlsColor ColorFromPlatform(uint32_t bgr) {
  switch (bgr) {
    case 0x000080:
      return clrDarkRed;
    case 0x0000FF:
      return clrRed;
    case 0x008000:
      return clrGreen;
    case 0x008080:
      return clrDarkYellow;
    case 0x00FF00:
      return clrBrightGreen;
    case 0x00FFFF:
      return clrYellow;
    case 0x800000:
      return clrDarkBlue;
    case 0x800080:
      return clrViolet;
    case 0x808000:
      return clrTeal;
    case 0x808080:
      return clrGray50Percent;
    case 0xC0C0C0:
      return clrGray25Percent;
    case 0xFF0000:
      return clrBlue;
    case 0xFF00FF:
      return clrPink;
    case 0xFFFF00:
      return clrTurquoise;
    case 0xFFFFFF:
      return clrWhite;
    default:
      return clrBlack;
  }
}

}  // namespace vorlix::exporter::xls
