#include "export/xlsx/xlsx_book.h"

#include <xlsxwriter.h>

#include <cmath>

#include "export/morvat_messages.h"
#include "export/xlsx/xlsx_text.h"

namespace vorlix::exporter::xlsx {

namespace {

// The width in pixels of "0" that the workbook's column widths are counted in.
constexpr double kDigitPixels = 7;

// Whether a header or footer text names its sections ("&&" is a literal ampersand).
bool NamesSection(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    const char code = text[i + 1];
    if (code == 'L' || code == 'C' || code == 'R') return true;
    ++i;  // skip the code, "&&" included
  }
  return false;
}

std::string Sectioned(const std::string& text) {
  if (text.empty() || NamesSection(text)) return ValidUtf8(text);
  return "&C" + ValidUtf8(text);
}

}  // namespace

XlsxBook::XlsxBook(const std::string& path, const std::string& shownName)
    : path_(path), shownName_(shownName) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = nullptr;       // the system's temporary folder; the files are unlinked at once
  options.use_zip64 = LXW_FALSE;  // readers know the plain form; a sheet stays far below 4 GB
  book_ = workbook_new_opt(path_.c_str(), &options);
  if (book_ == nullptr)
    throw EMorvatError("Cannot create file \"" + shownName_ + "\". Out of memory");
}

XlsxBook::~XlsxBook() {
  if (book_ != nullptr) lxw_workbook_free(book_);
}

void XlsxBook::Check(int error, const std::string& what) const {
  if (error == LXW_NO_ERROR) return;
  throw EMorvatError(what + ": " + lxw_strerror(static_cast<lxw_error>(error)));
}

void XlsxBook::CheckCell(int error, int row, int column) const {
  if (error == LXW_NO_ERROR) return;
  Check(error, "Row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1));
}

lxw_format* XlsxBook::Format(int index) const {
  return index >= 0 && index < static_cast<int>(formats_.size()) ? formats_[index] : nullptr;
}

void XlsxBook::AddSheet(const std::string& title) {
  const std::string name = ValidUtf8(title);
  Check(workbook_validate_sheet_name(book_, name.c_str()),
        "The sheet title \"" + title + "\" cannot be used");
  sheet_ = workbook_add_worksheet(book_, name.c_str());
  if (sheet_ == nullptr) throw EMorvatError("The sheet \"" + title + "\" cannot be added");
}

void XlsxBook::SetPageHeader(const std::string& text) {
  if (text.empty()) return;
  Check(worksheet_set_header(sheet_, Sectioned(text).c_str()), "The page header");
}

void XlsxBook::SetPageFooter(const std::string& text) {
  if (text.empty()) return;
  Check(worksheet_set_footer(sheet_, Sectioned(text).c_str()), "The page footer");
}

int XlsxBook::AddFormat(const TXlsxFont& font, const std::string& numberFormat) {
  lxw_format* format = workbook_add_format(book_);
  if (format == nullptr) throw EMorvatError("Out of memory");
  const std::string name = ValidUtf8(font.Name);
  format_set_font_name(format, name.c_str());
  format_set_font_size(format, font.Size);
  if (font.Bold) format_set_bold(format);
  if (!numberFormat.empty()) {
    const std::string code = ValidUtf8(numberFormat);
    format_set_num_format(format, code.c_str());
  }
  formats_.push_back(format);
  return static_cast<int>(formats_.size()) - 1;
}

void XlsxBook::SetColumnWidth(int column, int storedUnits) {
  // The library keeps widths to whole pixels, as a spreadsheet shows them.
  const auto pixels = static_cast<uint32_t>(std::lround(storedUnits * kDigitPixels / 256));
  Check(worksheet_set_column_pixels(sheet_, static_cast<lxw_col_t>(column),
                                    static_cast<lxw_col_t>(column), pixels, nullptr),
        "Column " + std::to_string(column + 1));
}

void XlsxBook::WriteText(int row, int column, const std::string& text, int format) {
  CheckCell(worksheet_write_string(sheet_, static_cast<lxw_row_t>(row),
                                   static_cast<lxw_col_t>(column), text.c_str(), Format(format)),
            row, column);
}

void XlsxBook::WriteNumber(int row, int column, double value, int format) {
  CheckCell(worksheet_write_number(sheet_, static_cast<lxw_row_t>(row),
                                   static_cast<lxw_col_t>(column), value, Format(format)),
            row, column);
}

void XlsxBook::WriteBoolean(int row, int column, bool value, int format) {
  CheckCell(worksheet_write_boolean(sheet_, static_cast<lxw_row_t>(row),
                                    static_cast<lxw_col_t>(column), value ? 1 : 0, Format(format)),
            row, column);
}

void XlsxBook::WriteBlank(int row, int column, int format) {
  CheckCell(worksheet_write_blank(sheet_, static_cast<lxw_row_t>(row),
                                  static_cast<lxw_col_t>(column), Format(format)),
            row, column);
}

void XlsxBook::Close() {
  lxw_workbook* book = book_;
  book_ = nullptr;  // closing frees it, whatever the outcome
  Check(workbook_close(book), "Error writing output file \"" + shownName_ + "\"");
}

}  // namespace vorlix::exporter::xlsx
