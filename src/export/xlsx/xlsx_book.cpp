#include "export/xlsx/xlsx_book.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "export/morvat_messages.h"
#include "export/xlsx/xlsx_text.h"
#include "platform/temporary_file.h"
#include "platform/thread_reads.h"

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

// How often the caller hears how the packaging goes.
constexpr std::chrono::milliseconds kProgressInterval{100};
// The packaging reads the sheet's data twice: once to copy it into the sheet's XML, fast, then
// to compress it, which is most of the time.
constexpr uint64_t kCopySteps = XlsxBook::kCloseSteps / 10;

// A file of the system's temporary folder for the library to write the workbook into.
std::shared_ptr<platform::NamedTemporaryFile> WorkbookFile() {
  try {
    return std::make_shared<platform::NamedTemporaryFile>("vorlix-export-", ".xlsx");
  } catch (const std::system_error& e) {
    throw EMorvatError(std::string("Cannot create a temporary file: ") +
                       std::strerror(e.code().value()));
  }
}

// Packagings the caller stopped waiting for; each is waited for before the program ends.
class LeftPackagings {
 public:
  static void Keep(std::thread worker) {
    static LeftPackagings left;
    std::lock_guard<std::mutex> lock(left.mutex_);
    left.workers_.push_back(std::move(worker));
  }
  ~LeftPackagings() {
    for (std::thread& worker : workers_) worker.join();
  }

 private:
  std::mutex mutex_;
  std::vector<std::thread> workers_;
};

}  // namespace

// What the packaging thread and its caller share; the thread holds it until it is done.
struct XlsxBook::Packaging {
  lxw_workbook* book = nullptr;
  std::shared_ptr<platform::NamedTemporaryFile> file;  // removed once neither needs it
  platform::ThreadReadCounter reads;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  lxw_error result = LXW_NO_ERROR;
};

XlsxBook::XlsxBook(const std::string& shownName) : file_(WorkbookFile()), shownName_(shownName) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = nullptr;       // the system's temporary folder; the files are unlinked at once
  options.use_zip64 = LXW_FALSE;  // readers know the plain form; a sheet stays far below 4 GB
  book_ = workbook_new_opt(file_->Path().c_str(), &options);
  if (book_ == nullptr)
    throw EMorvatError("Cannot create file \"" + shownName_ + "\". Out of memory");
}

XlsxBook::~XlsxBook() {
  if (book_ != nullptr) lxw_workbook_free(book_);
}

const std::string& XlsxBook::Path() const {
  return file_->Path();
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

uint64_t XlsxBook::SheetBytes() const {
  // The library's temporary file of the rows written so far (a field of its public sheet).
  return platform::StreamFileSize(sheet_ != nullptr ? sheet_->optimize_tmpfile : nullptr);
}

std::pair<uint64_t, uint64_t> XlsxBook::PackagingProgress(const Packaging& packaging,
                                                          uint64_t sheetBytes) {
  const std::optional<uint64_t> read = packaging.reads.BytesRead();
  if (!read || sheetBytes == 0) return {0, 0};
  const uint64_t copied = std::min(*read, sheetBytes);
  const uint64_t compressed = std::min(*read - copied, sheetBytes);
  // Short of the end until the work says it is done.
  const uint64_t done =
      copied * kCopySteps / sheetBytes + compressed * (kCloseSteps - kCopySteps) / sheetBytes;
  return {std::min(done, kCloseSteps - 1), kCloseSteps};
}

void XlsxBook::Close(const FinishProgress& progress) {
  const uint64_t sheetBytes = SheetBytes();
  auto packaging = std::make_shared<Packaging>();
  packaging->book = book_;
  packaging->file = file_;
  book_ = nullptr;  // closing frees it, whatever the outcome
  std::thread worker([packaging] {
    packaging->reads.WatchThisThread();
    const lxw_error result = workbook_close(packaging->book);
    std::lock_guard<std::mutex> lock(packaging->mutex);
    packaging->result = result;
    packaging->done = true;
    packaging->finished.notify_all();
  });
  try {
    for (;;) {
      if (progress) {
        const auto [done, total] = PackagingProgress(*packaging, sheetBytes);
        progress(done, total);
      }
      std::unique_lock<std::mutex> lock(packaging->mutex);
      if (packaging->finished.wait_for(lock, kProgressInterval, [&] { return packaging->done; }))
        break;
    }
  } catch (...) {
    // Stopped waiting: the work ends on its own, and the last one holding the file removes it.
    file_.reset();
    LeftPackagings::Keep(std::move(worker));
    throw;
  }
  worker.join();
  Check(packaging->result, "Error writing output file \"" + shownName_ + "\"");
  if (progress) progress(kCloseSteps, kCloseSteps);
}

}  // namespace vorlix::exporter::xlsx
