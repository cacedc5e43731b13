#pragma once
// Fixed additions to a sheet, written in its tail: explicit cells, merged ranges and
// hyperlinks. Rows and columns are 1-based; 0 marks an item as not placed.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "export/xls/formats.h"

namespace vorlix::exporter::xls {

// A value handed to or read from an explicit cell.
using TxlsValue = std::variant<std::monostate, bool, double, std::string>;

enum TxlsCellType : uint8_t { ctBoolean, ctDateTime, ctNumeric, ctString };

class TxlsCell {
 public:
  TxlsCell();

  TxlsCellType CellType() const { return cellType_; }
  // Changing the type converts the stored value to the new type.
  void SetCellType(TxlsCellType type);
  int Col = 0;
  int Row = 0;
  std::string DateTimeFormat;  // the short date format, a blank and the long time format
  TxlsFormat Format;
  std::string NumericFormat = "###,###,#0.00";

  // Converts value to the cell's type; a value that does not convert stores false, the
  // current date and time, 0 or the empty text.
  void SetValue(const TxlsValue& value);
  TxlsValue Value() const;
  bool AsBoolean() const { return boolean_; }
  double AsNumber() const { return cellType_ == ctDateTime ? dateTime_ : number_; }
  const std::string& AsText() const { return text_; }

  bool IsValid() const { return Col != 0 && Row != 0; }

 private:
  TxlsCellType cellType_ = ctString;
  bool boolean_ = false;
  double dateTime_ = 0;
  double number_ = 0;
  std::string text_;
};

struct TxlsMergedCells {
  int FirstCol = 0, FirstRow = 0, LastCol = 0, LastRow = 0;
  bool IsValid() const { return FirstCol != 0 && FirstRow != 0 && LastCol != 0 && LastRow != 0; }
};

enum TxlsHyperlinkStyle : uint8_t { hlsURL, hlsLocalFile };

struct TxlsHyperlink {
  int Col = 0, Row = 0;
  TxlsHyperlinkStyle Style = hlsURL;
  std::string Target;     // URL or file path (UTF-8)
  std::string Title;      // text shown in the cell
  std::string ScreenTip;  // empty: no tool tip
  TxlsFormat Format;
  bool IsValid() const {
    return Col >= 1 && Col <= 256 && Row != 0 && !Title.empty() && !Target.empty();
  }
};

// Hyperlinks of an owner: a new one starts with the owner's hyperlink format.
class TxlsHyperlinks {
 public:
  explicit TxlsHyperlinks(const TxlsFormat& ownerFormat) : ownerFormat_(&ownerFormat) {}
  TxlsHyperlinks(const TxlsHyperlinks&) = delete;
  TxlsHyperlinks& operator=(const TxlsHyperlinks&) = delete;

  TxlsHyperlink& Add();
  // Copies the items of another collection (formats included).
  void Assign(const TxlsHyperlinks& other) { items_ = other.items_; }
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TxlsHyperlink& operator[](int index) { return items_.at(index); }
  const TxlsHyperlink& operator[](int index) const { return items_.at(index); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  const TxlsFormat* ownerFormat_;
  std::vector<TxlsHyperlink> items_;
};

}  // namespace vorlix::exporter::xls
