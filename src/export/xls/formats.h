#pragma once
// The look of a cell: font, borders, fill, alignment and wrap, with the defaults every
// comparison and every record relies on.

#include <cstdint>
#include <string>

#include "export/xls/colors.h"

namespace vorlix::exporter::xls {

enum TxlsFontStyle : uint8_t { xfsBold = 1, xfsItalic = 2, xfsStrikeOut = 4 };
using TxlsFontStyles = uint8_t;  // set of TxlsFontStyle bits
enum TxlsFontScript : uint8_t { fscNone, fscSuperscript, fscSubscript };
enum TxlsFontUnderline : uint8_t {
  fulNone,
  fulSingle,
  fulDouble,
  fulSingleAccounting,
  fulDoubleAccounting
};

// A font as the platform describes it (for measuring text and for assignment).
struct PlatformFont {
  int size = 10;
  bool bold = false, italic = false, strikeOut = false, underline = false;
  uint8_t charset = 1;
  std::string name = "arial";
  uint32_t colorBgr = 0;  // 0xBBGGRR
};

struct TxlsFont {
  int Size = 10;
  TxlsFontStyles Style = 0;
  TxlsColor Color = clrBlack;
  TxlsFontScript Script = fscNone;
  TxlsFontUnderline Underline = fulNone;
  uint8_t Charset = 1;
  std::string Name = "arial";  // UTF-8; compared exactly, case included

  bool Has(TxlsFontStyle style) const { return (Style & style) != 0; }
  bool IsDefault() const { return SameFont(TxlsFont{}); }
  bool SameFont(const TxlsFont& other) const;
  void Assign(const PlatformFont& font);
  PlatformFont ToPlatform() const;
};

enum TxlsBorderStyle : uint8_t {
  bstNone,
  bstThin,
  bstMedium,
  bstDashed,
  bstDotted,
  bstThick,
  bstDouble,
  bstHair,
  bstMediumDashed,
  bstDashDot,
  bstMediumDashDot,
  bstDashDotDot,
  bstMediumDashDotDot,
  bstSlantedDashDot
};

struct TxlsBorder {
  TxlsBorderStyle Style = bstNone;
  TxlsColor Color = clrBlack;
  bool operator==(const TxlsBorder&) const = default;
};

struct TxlsBorders {
  TxlsBorder Left, Right, Top, Bottom, DiagDown, DiagUp;
  bool operator==(const TxlsBorders&) const = default;
  bool AnyStyle() const;
};

enum TxlsPattern : uint8_t {
  ptNone,
  ptSolid,
  ptChess,
  ptWhiteSpots,
  ptBlackSpots,
  ptBoldHorizontal,
  ptBoldVertical,
  ptBoldDiagRight,
  ptBoldDiagLeft,
  ptBoldChess,
  ptRingMail,
  ptThinGorizontal,
  ptThinVertical,
  ptThinDiagLeft,
  ptThinDiagRight,
  ptCells,
  ptCrissCross,
  ptThinSpots,
  ptThinThinSpots
};

struct TxlsFill {
  TxlsColor Background = clrWhite;
  TxlsPattern Pattern = ptNone;
  TxlsColor Foreground = clrBlack;
  bool operator==(const TxlsFill&) const = default;
};

enum TxlsHorizontalAlignment : uint8_t { halGeneral, halLeft, halCenter, halRight, halFill };
enum TxlsVerticalAlignment : uint8_t { valTop, valCenter, valBottom, valJustify };

struct TxlsAlignment {
  TxlsHorizontalAlignment Horizontal = halGeneral;
  TxlsVerticalAlignment Vertical = valBottom;
  bool operator==(const TxlsAlignment&) const = default;
};

class TxlsFormat {
 public:
  virtual ~TxlsFormat() = default;

  TxlsFont Font;
  TxlsBorders Borders;
  TxlsFill Fill;
  TxlsAlignment Alignment;
  bool Wrap = false;
  std::string FieldName;

  // Every property back to its default.
  virtual void Reset();
  // Copies font, borders, fill, alignment and wrap (not FieldName).
  void Assign(const TxlsFormat& other);
  // Every property at its default; border colours are not looked at.
  bool IsDefault() const;
};

enum TxlsAggregate : uint8_t { aggNone, aggSum, aggAvg, aggMin, aggMax };

class TxlsFieldFormat : public TxlsFormat {
 public:
  int Width = 0;
  TxlsAggregate Aggregate = aggNone;
  void Reset() override;
};

// Look of cell notes (notes are not written by this program; the settings are kept).
class TxlsNoteFormat : public TxlsFormat {};

}  // namespace vorlix::exporter::xls
