#pragma once
// One workbook with one sheet, written with libxlsxwriter in its constant-memory mode: each row
// goes to a temporary file once the next row starts, so memory stays flat in the number of
// rows. Rows are written in order. Every call raises EMorvatError on a failure of the library.
//
// The library writes the file in one call at the end (it compresses the sheet then, which takes
// seconds for a large one) and reports nothing meanwhile. That call runs on a thread of its own:
// the caller hears how far it got (from the bytes the thread has read of the sheet) and may stop
// waiting for it; the work then finishes on its own, and its file is removed. The program waits
// for such work before it ends.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "export/morvat_stream.h"

namespace vorlix::platform {
class NamedTemporaryFile;
}

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
  // Units of Close's progress.
  static constexpr uint64_t kCloseSteps = 1000;

  // The file is made in the system's temporary folder (Path); `shownName` is the name that
  // messages give it. Raises when the temporary file cannot be made.
  explicit XlsxBook(const std::string& shownName);
  // Frees the workbook and removes the file; unless Close ran, nothing is written.
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

  // Writes the file at Path, reporting `progress` (done of kCloseSteps, or of 0 where the
  // system cannot tell) about ten times a second; progress may raise to stop waiting. Raises
  // "Error writing output file ..." when the file cannot be written.
  void Close(const FinishProgress& progress);
  // The file Close wrote.
  const std::string& Path() const;

 private:
  struct Packaging;
  void Check(int error, const std::string& what) const;
  void CheckCell(int error, int row, int column) const;
  lxw_format* Format(int index) const;

  // How far the packaging got, in kCloseSteps; 0 of 0 when unknown.
  static std::pair<uint64_t, uint64_t> PackagingProgress(const Packaging& packaging,
                                                         uint64_t sheetBytes);
  // The bytes of the sheet's data that the library holds in its temporary file.
  uint64_t SheetBytes() const;

  std::shared_ptr<platform::NamedTemporaryFile> file_;
  std::string shownName_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  std::vector<lxw_format*> formats_;  // owned by the workbook
};

}  // namespace vorlix::exporter::xlsx
