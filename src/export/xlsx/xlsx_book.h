#pragma once
// One workbook with one sheet, written with libxlsxwriter in its constant-memory mode: each row
// goes to a temporary file once the next row starts, so memory stays flat in the number of
// rows. Rows are written in order. Every call raises EMorvatError on a failure of the library.

#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace vorlix::exporter::xlsx {

struct TXlsxFont {
  std::string Name = "Arial";
  double Size = 10;  // points
  bool Bold = false;
};

class XlsxBook {
 public:
  // `path` is where Close writes the file; `shownName` is the name that messages give it.
  XlsxBook(const std::string& path, const std::string& shownName);
  // Frees the workbook; unless Close ran, nothing is written.
  ~XlsxBook();
  XlsxBook(const XlsxBook&) = delete;
  XlsxBook& operator=(const XlsxBook&) = delete;

  // Adds the sheet; raises for a title the format refuses (empty, too long, [ ] : * ? / \).
  void AddSheet(const std::string& title);
  // Page header and footer in the spreadsheet's code syntax ("&P", "&N"); a text that names
  // no section ("&L", "&C", "&R") is centred, as a spreadsheet shows it.
  void SetPageHeader(const std::string& text);
  void SetPageFooter(const std::string& text);
  // The index of a cell format with a font and, when given, a number format ("#,##0.00",
  // "yyyy-mm-dd").
  int AddFormat(const TXlsxFont& font, const std::string& numberFormat = {});
  // A column's width in the stored unit of the .xls writer (1/256 of the width of "0").
  void SetColumnWidth(int column, int storedUnits);

  // Cells; row and column count from 0. Text must be valid UTF-8 (see StoredCellText).
  void WriteText(int row, int column, const std::string& text, int format);
  void WriteNumber(int row, int column, double value, int format);
  void WriteBoolean(int row, int column, bool value, int format);
  void WriteBlank(int row, int column, int format);

  // Writes the file; raises "Error writing output file ..." when it cannot.
  void Close();

 private:
  void Check(int error, const std::string& what) const;
  void CheckCell(int error, int row, int column) const;
  lxw_format* Format(int index) const;

  std::string path_;
  std::string shownName_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  std::vector<lxw_format*> formats_;  // owned by the workbook
};

}  // namespace vorlix::exporter::xlsx
