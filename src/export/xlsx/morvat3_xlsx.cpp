#include "export/xlsx/morvat3_xlsx.h"

#include <algorithm>
#include <fstream>
#include <memory>

#include "export/morvat_messages.h"
#include "export/morvat_strings.h"
#include "export/xls/date_formats.h"
#include "export/xls/text_measure.h"
#include "export/xlsx/xlsx_text.h"
#include "platform/date_time.h"
#include "platform/number_picture.h"
#include "platform/text_encoding.h"

namespace vorlix::exporter::xlsx {

namespace {

bool IsNumeric(TMorvatColType type) {
  return type == ectInteger || type == ectBigint || type == ectFloat || type == ectCurrency;
}

bool IsDateTime(TMorvatColType type) {
  return type == ectDate || type == ectTime || type == ectDateTime;
}

// The finishing work: the library's packaging, then the copy into the output file.
constexpr uint64_t kFinishSteps = 1000;
constexpr uint64_t kPackagingSteps = 900;
constexpr size_t kCopyChunk = 64 * 1024;

}  // namespace

TMorvat3XLSX::TMorvat3XLSX() {
  OffersColumnsWidth = true;
}

TMorvat3XLSX::~TMorvat3XLSX() = default;

void TMorvat3XLSX::CheckKnownRowCount() {
  std::optional<int> records = Source().KnownRecordCount();
  if (!records) return;
  if (CurrentRecordOnly) records = std::min(*records, 1);
  const int64_t rows = int64_t{*records} + (CaptionsAllowed() ? 1 : 0);
  if (rows > MaxRows)
    throw EMorvatError("Sheet \"" + Options.SheetTitle + "\" needs " + std::to_string(rows) +
                       " rows, more than the " + std::to_string(MaxRows) +
                       " rows a sheet can hold");
}

void TMorvat3XLSX::Execute() {
  if (FileName.empty()) throw EMorvatError("Result file name not present");
  CheckKnownRowCount();  // before the file is opened
  TMorvat3FormatText::Execute();
}

void TMorvat3XLSX::RunExport() {
  XlsxBook book(FileName.empty() ? std::string("the workbook") : FileName);
  WriteWorkbook(book);
  if (Aborted) return;
  book.Close([this](uint64_t done, uint64_t total) {
    ReportFinishing(total == 0 ? 0 : done * kPackagingSteps / total, total == 0 ? 0 : kFinishSteps);
  });
  CopyWorkbook(book.Path());
}

void TMorvat3XLSX::CopyWorkbook(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  const uint64_t size = std::max<uint64_t>(static_cast<uint64_t>(in.tellg()), 1);
  in.seekg(0);
  std::vector<char> chunk(kCopyChunk);
  uint64_t copied = 0;
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    Writer->Stream.Write(chunk.data(), static_cast<size_t>(in.gcount()));
    copied += static_cast<uint64_t>(in.gcount());
    ReportFinishing(
        kPackagingSteps + std::min(copied, size) * (kFinishSteps - kPackagingSteps) / size,
        kFinishSteps);
  }
  if (in.bad()) throw EMorvatError("Cannot read the temporary file \"" + path + "\"");
}

void TMorvat3XLSX::WriteWorkbook(XlsxBook& book) {
  book.AddSheet(Options.SheetTitle);
  book.SetPageHeader(Options.PageHeader);
  book.SetPageFooter(Options.PageFooter);
  struct BookScope {
    XlsxBook*& slot;
    ~BookScope() { slot = nullptr; }
  } scope{book_};
  book_ = &book;
  row_ = 0;
  TMorvat3FormatText::RunExport();
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
    // The number formats of the .xls exporter: a date or time picture in the spreadsheet's
    // syntax, a number's format as it is.
    const TMorvatColumn& column = Columns[i];
    if (IsDateTime(column.ColType))
      columnFormats_[i] =
          book_->AddFormat(Options.DataFont, xls::SpreadsheetDateFormat(column.Format));
    else if (IsNumeric(column.ColType) && !column.Format.empty())
      columnFormats_[i] = book_->AddFormat(Options.DataFont, column.Format);
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
  CheckCellText(row + 1, Columns[column].Caption, text);
  book_->WriteText(row, column, StoredCellText(text), format);
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
      book_->WriteNumber(row, i, xls::SpreadsheetSerial(*value), format);
    }
  } else if (column.ColType == ectBoolean) {
    book_->WriteBoolean(row, i, SameText(text, Formats.BooleanTrue()), format);
  }
  // ectUnknown: nothing is written.
}

}  // namespace vorlix::exporter::xlsx
