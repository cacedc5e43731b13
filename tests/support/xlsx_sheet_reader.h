#pragma once
// Reads the cells of a workbook's first sheet from an .xlsx file, written from the format's
// definition and independent of the exporter: the package with minizip, its parts with expat.
// The first sheet is the one workbook.xml lists first, found through the workbook's
// relationships. Texts come from inline strings and the shared strings part, with their
// "_xHHHH_" escapes (UTF-16 code units) decoded; numbers and Booleans as the file spells them.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vorlix::testing {

struct XlsxCell {
  enum Kind { kEmpty, kText, kNumber, kBoolean, kError };
  Kind kind = kEmpty;
  std::string value;  // the text, or the number, Boolean (0 or 1) or error as written
  bool operator==(const XlsxCell&) const = default;
};

inline void PrintTo(const XlsxCell& cell, std::ostream* out) {
  static const char* const kKinds[] = {"empty", "text", "number", "Boolean", "error"};
  *out << kKinds[cell.kind] << " \"" << cell.value << '"';
}

// Rows and columns from the sheet's first cell A1 up to the last one used; cells that the sheet
// does not hold are kEmpty.
using XlsxCells = std::vector<std::vector<XlsxCell>>;

// The first sheet's cells; nullopt with the reason in `error` when the file is no workbook or
// breaks the format.
std::optional<XlsxCells> ReadXlsxSheet(const std::string& path, std::string& error);

}  // namespace vorlix::testing
