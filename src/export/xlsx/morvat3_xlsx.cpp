#include "export/xlsx/morvat3_xlsx.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "export/morvat_messages.h"
#include "export/morvat_strings.h"
#include "export/xls/text_measure.h"
#include "export/xlsx/xlsx_target.h"
#include "export/xlsx/xlsx_text.h"
#include "platform/date_time.h"
#include "platform/number_picture.h"

namespace vorlix::exporter::xlsx {

namespace {

// Records of the source in range, when the source knows its count without being walked: a
// list view or a string grid.
std::optional<int64_t> KnownRecordCount(const TMorvatSourceSettings& settings) {
  int64_t total = 0;
  if (settings.ExportSource == esListView && settings.ListView != nullptr)
    total = settings.ListView->ItemCount();
  else if (settings.ExportSource == esStringGrid && settings.StringGrid != nullptr)
    total = settings.StringGrid->RowCount() - settings.StringGrid->FixedRows();
  else
    return std::nullopt;
  int64_t records = std::max<int64_t>(total - std::max(settings.SkipRecCount, 0), 0);
  if (settings.ExportRecCount > 0) records = std::min<int64_t>(records, settings.ExportRecCount);
  if (settings.CurrentRecordOnly) records = std::min<int64_t>(records, 1);
  return records;
}

bool IsNumeric(TMorvatColType type) {
  return type == ectInteger || type == ectBigint || type == ectFloat || type == ectCurrency;
}

bool IsDateTime(TMorvatColType type) {
  return type == ectDate || type == ectTime || type == ectDateTime;
}

// A file of the system's temporary folder, removed when this goes.
class TemporaryFile {
 public:
  TemporaryFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vorlix-export-XXXXXX.xlsx").string();
    const int fd = ::mkostemps(pattern.data(), 5, O_CLOEXEC);
    if (fd < 0)
      throw EMorvatError(std::string("Cannot create a temporary file: ") + std::strerror(errno));
    ::close(fd);
    path_ = pattern;
  }
  ~TemporaryFile() { ::unlink(path_.c_str()); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

TMorvat3XLSX::TMorvat3XLSX() {
  OffersColumnsWidth = true;
}

TMorvat3XLSX::~TMorvat3XLSX() = default;

void TMorvat3XLSX::CheckKnownRowCount() const {
  const std::optional<int64_t> records = KnownRecordCount(*this);
  if (!records) return;
  const int64_t rows = *records + (CaptionsAllowed() ? 1 : 0);
  if (rows > MaxRows)
    throw EMorvatError("Sheet \"" + Options.SheetTitle + "\" needs " + std::to_string(rows) +
                       " rows, more than the " + std::to_string(MaxRows) +
                       " rows a sheet can hold");
}

void TMorvat3XLSX::Execute() {
  if (FileName.empty()) throw EMorvatError("Result file name not present");
  CheckKnownRowCount();
  EnsureOutputDirectory(FileName);
  TXlsxTarget target(FileName);
  WriteWorkbook(target.TemporaryName());
  if (Aborted) return;  // the target keeps what it held
  target.Commit();
  AfterFileWritten();
}

void TMorvat3XLSX::RunExport() {
  CheckKnownRowCount();
  TemporaryFile file;
  WriteWorkbook(file.Path());
  if (Aborted) return;
  std::ifstream in(file.Path(), std::ios::binary);
  std::vector<char> chunk(64 * 1024);
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    Writer->Stream.Write(chunk.data(), static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) throw EMorvatError("Cannot read the temporary file \"" + file.Path() + "\"");
}

void TMorvat3XLSX::WriteWorkbook(const std::string& path) {
  TXlsxBook book(path, FileName.empty() ? path : FileName);
  book.AddSheet(Options.SheetTitle);
  book.SetPageHeader(Options.PageHeader);
  book.SetPageFooter(Options.PageFooter);
  struct BookScope {
    TXlsxBook*& slot;
    ~BookScope() { slot = nullptr; }
  } scope{book_};
  book_ = &book;
  row_ = 0;
  TMorvat3FormatText::RunExport();
  if (!Aborted) book.Close();
}

void TMorvat3XLSX::BeginExport() {
  TMorvat3FormatText::BeginExport();
  if (Columns.Count() > kMaxColumns)
    throw EMorvatError("Sheet \"" + Options.SheetTitle + "\": " + std::to_string(Columns.Count()) +
                       " columns do not fit the sheet's " + std::to_string(kMaxColumns) +
                       " columns");
  dataFormat_ = book_->AddFormat(Options.DataFont);
  columnFormats_.assign(Columns.Count(), dataFormat_);
  for (int i = 0; i < Columns.Count(); ++i) {
    const TMorvatColumn& column = Columns[i];
    if (IsNumeric(column.ColType) && !column.Format.empty())
      columnFormats_[i] = book_->AddFormat(Options.DataFont, column.Format);
    else if (column.ColType == ectDate)
      columnFormats_[i] = book_->AddFormat(Options.DataFont, {}, TXlsxNumberFormat::Date);
    else if (column.ColType == ectTime)
      columnFormats_[i] = book_->AddFormat(Options.DataFont, {}, TXlsxNumberFormat::Time);
    else if (column.ColType == ectDateTime)
      columnFormats_[i] = book_->AddFormat(Options.DataFont, {}, TXlsxNumberFormat::DateTime);
  }
}

void TMorvat3XLSX::BeforeDataRows() {
  // Here rather than in BeginExport, so that the width pass has run.
  const xls::ITextMeasure& measure = xls::DefaultTextMeasure();
  for (int i = 0; i < Columns.Count(); ++i)
    book_->SetColumnWidth(i, xls::StoredColumnWidth(Columns[i].Width, measure));
}

int TMorvat3XLSX::NextRow() {
  if (row_ >= MaxRows)
    throw EMorvatError("Sheet \"" + Options.SheetTitle + "\" needs more than " +
                       std::to_string(MaxRows) + " rows, the most a sheet can hold");
  return row_++;
}

void TMorvat3XLSX::WriteText(int row, int column, const std::string& text, int format) {
  const std::string cell = StoredCellText(text);
  if (cell.size() > kMaxCellCharacters) {
    const std::size_t characters = CharacterCount(ValidUtf8(text));
    if (characters > kMaxCellCharacters)
      throw EMorvatError("Row " + std::to_string(row + 1) + ", column \"" +
                         Columns[column].Caption + "\": the text has " +
                         std::to_string(characters) + " characters, more than the " +
                         std::to_string(kMaxCellCharacters) + " a cell can hold");
  }
  book_->WriteText(row, column, cell, format);
}

void TMorvat3XLSX::WriteCaptionRow() {
  const int row = NextRow();
  const int format = book_->AddFormat(Options.CaptionsFont);
  for (int i = 0; i < Columns.Count(); ++i) {
    const std::string caption = ColumnCaptionText(i);
    if (!caption.empty()) WriteText(row, i, caption, format);
  }
}

void TMorvat3XLSX::WriteDataRow() {
  const int row = NextRow();
  for (int i = 0; i < Columns.Count() && i < Row.Count(); ++i) {
    const TMorvatCol& col = Row[i];
    WriteCell(row, i, col.IsNull ? Formats.NullString() : col.Data);
  }
}

void TMorvat3XLSX::WriteCell(int row, int i, const std::string& text) {
  const TMorvatColumn& column = Columns[i];
  const int format = columnFormats_[i];
  if (text.empty()) {
    book_->WriteBlank(row, i, format);
    return;
  }
  if (text == Formats.NullString() || column.ColType == ectString) {
    WriteText(row, i, text, format);
    return;
  }
  if (IsNumeric(column.ColType)) {
    // A text that is no number stays as it is rather than becoming 0.
    if (const std::optional<double> value = platform::ParseFloat(text))
      book_->WriteNumber(row, i, *value, format);
    else
      WriteText(row, i, text, format);
  } else if (IsDateTime(column.ColType)) {
    const std::optional<platform::DateTime> value = platform::ParseDateTime(text);
    if (!value) {
      WriteText(row, i, text, format);
    } else if (*value <= 1) {
      // Before the sheet's first day: the formatted text, as the .xls exporter writes it.
      WriteText(row, i, platform::FormatDateTime(column.Format, *value), format);
    } else {
      // January and February 1900: the spreadsheet counts a 29 February 1900.
      book_->WriteNumber(row, i, *value > 60 ? *value : *value - 1, format);
    }
  } else if (column.ColType == ectBoolean) {
    book_->WriteBoolean(row, i, SameText(text, Formats.BooleanTrue()), format);
  }
  // ectUnknown: nothing is written.
}

}  // namespace vorlix::exporter::xlsx
