#pragma once
// Cell styles of one run: the registered fonts, number formats and XFs that GetCellXF hands
// out, and the records that describe them (FONT, FORMAT, XF, STYLE, PALETTE).

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/xls/biff_record.h"
#include "export/xls/formats.h"

namespace vorlix::exporter::xls {

// The XF a cell refers to when it needs no style of its own.
constexpr uint16_t kDefaultCellXF = 15;

struct TxlsTextFormat {
  uint16_t Index = 0;
  std::string Format = "General";  // UTF-8
};

struct RegisteredFont {
  uint16_t Index = 0;
  TxlsFont Font;
};

struct TxlsXFormat {
  uint16_t Index = 0;
  const RegisteredFont* Font = nullptr;
  const TxlsTextFormat* NumberFormat = nullptr;
  TxlsBorders Borders;
  TxlsFill Fill;
  TxlsAlignment Alignment;
  bool Wrap = false;
};

class TbiffFont : public TbiffRecord {
 public:
  explicit TbiffFont(const TxlsFont& font);
};

class TbiffFormat : public TbiffRecord {
 public:
  TbiffFormat(uint16_t index, const std::u16string& format);
};

class TbiffXF : public TbiffRecord {
 public:
  // The fixed XF records 0 to 15.
  static std::unique_ptr<TbiffXF> Fixed(int index);
  // The record of a registered XF.
  explicit TbiffXF(const TxlsXFormat& xf);

 private:
  explicit TbiffXF(std::vector<uint8_t> data);
};

class TbiffStyle : public TbiffRecord {
 public:
  explicit TbiffStyle(const uint8_t bytes[4]);
};

class StyleTable {
 public:
  StyleTable();

  // Font of the sheet's data format: a format whose font equals it adds no font to its XF.
  void SetDataFont(const TxlsFont& font) { dataFont_ = font; }

  // The XF index of a cell with number format string s and format f (or none).
  uint16_t GetCellXF(const std::string& formatString, const TxlsFormat* format);

  // A registered XF by index (nullptr for the fixed ones and unknown indexes).
  const TxlsXFormat* FindXF(uint16_t index) const;

  size_t FontCount() const { return fonts_.size(); }
  size_t NumberFormatCount() const { return numberFormats_.size(); }
  size_t XFCount() const { return xfs_.size(); }

  // FONT, FORMAT, XF and STYLE records in their order, then PALETTE.
  void WriteRecords(XlsByteSink& out) const;
  static void WritePalette(XlsByteSink& out);

 private:
  const RegisteredFont* RegisterFont(const TxlsFont& font);
  const TxlsTextFormat* RegisterNumberFormat(const std::string& format);

  TxlsFont dataFont_;
  // deques keep the addresses of registered items stable while more are added.
  std::deque<RegisteredFont> fonts_;
  std::deque<TxlsTextFormat> numberFormats_;
  std::deque<TxlsXFormat> xfs_;
  uint16_t lastFont_ = 4, lastNumberFormat_ = 49, lastXF_ = 15;
};

}  // namespace vorlix::exporter::xls
