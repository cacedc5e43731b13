#include "export/xls/sheet_writer.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "export/morvat_strings.h"
#include "export/xls/date_formats.h"
#include "export/xls/sheet_head_tail.h"
#include "platform/date_time.h"
#include "platform/number_picture.h"
#include "platform/plain_text.h"

namespace vorlix::exporter::xls {

namespace {

// The number format of a column's cells: a date or time picture in the spreadsheet's syntax,
// any other format as it is.
std::string NumberFormatOf(const TMorvatColumn& column) {
  const bool dateTime =
      column.ColType == ectDate || column.ColType == ectTime || column.ColType == ectDateTime;
  return dateTime ? SpreadsheetDateFormat(column.Format) : column.Format;
}

}  // namespace

void SheetWriter::ColumnTotals::Add(double value) {
  min = count == 0 ? value : std::min(min, value);
  max = count == 0 ? value : std::max(max, value);
  sum += value;
  ++count;
}

SheetWriter::SheetWriter(WorkbookWriter& book, TxlsSheet& sheet, int sheetIndex,
                         const CellEvents& events, const ITextMeasure& measure)
    : book_(book),
      sheet_(sheet),
      sheetIndex_(sheetIndex),
      events_(events),
      measure_(measure),
      zeroWidth_(xls::ZeroWidth(measure)),
      cells_(book, sheet.Title, [this](int col) {
        const int i = col - sheet_.StartDataCol;
        return i >= 0 && i < sheet_.Columns.Count() ? sheet_.Columns[i].Caption : std::string();
      }) {}

// --- Preparing the columns ---

void SheetWriter::Prepare() {
  row_ = 0;
  const TMorvatColumns& columns = sheet_.Columns;
  fieldXFs_.assign(columns.Count(), kDefaultCellXF);
  stripXFs_.clear();
  book_.Styles().SetDataFont(sheet_.Options.DataFormat.Font);
  CheckSheetColumns(sheet_);
  if (sheet_.StripType != ssNone && !sheet_.StripStyles.empty())
    PrepareStripStyles();
  else
    PrepareFieldStyles();
  autoWidths_.clear();
  for (int i = 0; i < columns.Count(); ++i) autoWidths_.push_back(columns[i].Width);
  totals_.assign(columns.Count(), ColumnTotals{});
}

void SheetWriter::PrepareFieldStyles() {
  const TMorvatColumns& columns = sheet_.Columns;
  StyleTable& styles = book_.Styles();
  // The XF of the first column of each name (compared ignoring case) that gets one of its own.
  std::map<std::string, uint16_t> byName;
  for (int i = 0; i < columns.Count(); ++i) {
    const TMorvatColumn& column = columns[i];
    const TxlsFormat* format = nullptr;
    for (const TxlsFieldFormat& f : sheet_.FieldFormats)
      if (SameText(f.FieldName, column.Name)) {
        format = &f;
        break;
      }
    const uint16_t xf = styles.GetCellXF(NumberFormatOf(column), format);
    if (xf != kDefaultCellXF) byName.emplace(platform::LowerCase(column.Name), xf);
  }
  // Columns of equal names share the XF kept under that name.
  for (int i = 0; i < columns.Count(); ++i)
    if (auto it = byName.find(platform::LowerCase(columns[i].Name)); it != byName.end())
      fieldXFs_[i] = it->second;
}

void SheetWriter::PrepareStripStyles() {
  const TMorvatColumns& columns = sheet_.Columns;
  if (columns.Count() == 0) return;
  StyleTable& styles = book_.Styles();
  const std::vector<TxlsFormat>& strips = sheet_.StripStyles;
  const size_t n = strips.size();
  stripXFs_.assign(sheet_.StripType == ssCol ? 1 : n, std::vector<uint16_t>(columns.Count()));
  for (int i = 0; i < columns.Count(); ++i) {
    const std::string numberFormat = NumberFormatOf(columns[i]);
    if (sheet_.StripType == ssCol) {
      stripXFs_[0][i] = styles.GetCellXF(numberFormat, &strips[i % n]);
    } else {
      for (size_t s = 0; s < n; ++s) stripXFs_[s][i] = styles.GetCellXF(numberFormat, &strips[s]);
    }
  }
}

// --- Head and tail ---

void SheetWriter::WriteSheetHead() {
  firstColInfo_ = xls::WriteSheetHead(book_, sheet_, sheetIndex_, measure_);
}

void SheetWriter::RewriteColumnWidths() {
  if (sheet_.AutoCalcColWidth) xls::RewriteColumnWidths(book_.Stream(), firstColInfo_, autoWidths_);
}

void SheetWriter::WriteSheetTail() {
  xls::WriteSheetTail(book_, cells_, sheet_);
}

// --- Lines, captions, records ---

void SheetWriter::WriteLines(const MorvatStringList& lines, int lineCount, const TxlsFormat& format,
                             const TxlsLineParamsEvent& event) {
  const int count = lineCount != 0 ? lineCount : lines.Count();
  for (int l = 0; l < count; ++l) {
    std::string line = l < lines.Count() ? lines[l] : std::string();
    if (!line.empty() && line.back() != '\t') line.push_back('\t');
    size_t start = 0;
    for (int j = 0; j < kMaxCols; ++j) {
      std::string text;
      size_t tab = start < line.size() ? line.find('\t', start) : std::string::npos;
      if (tab != std::string::npos) {
        text = line.substr(start, tab - start);
        start = tab + 1;
      } else {
        start = line.size();
      }
      TxlsFormat cellFormat;
      cellFormat.Assign(format);
      if (event) event(sheet_, sheetIndex_, j, row_, cellFormat, text);
      if (!text.empty())
        cells_.Label(row_, j, book_.Styles().GetCellXF("General", &cellFormat), text);
    }
    ++row_;
  }
}

void SheetWriter::WriteBeforeDataCells() {
  if (!events_.OnGetBeforeDataParams) return;
  for (int j = 0; j < sheet_.StartDataCol; ++j) {
    TxlsFormat format;
    format.Assign(sheet_.Options.DataFormat);
    std::string text;
    events_.OnGetBeforeDataParams(sheet_, sheetIndex_, j, row_, format, text);
    if (!text.empty()) cells_.Label(row_, j, book_.Styles().GetCellXF("General", &format), text);
  }
}

void SheetWriter::WriteCaptions() {
  if (!sheet_.AllowCaptions) return;
  WriteBeforeDataCells();
  for (int i = 0; i < sheet_.Columns.Count(); ++i) {
    TxlsFormat format;
    format.Assign(sheet_.Options.CaptionsFormat);
    std::string caption = sheet_.Columns[i].Caption;
    const int col = sheet_.StartDataCol + i;
    if (events_.OnGetCaptionParams)
      events_.OnGetCaptionParams(sheet_, sheetIndex_, col, format, caption);
    if (caption.empty()) continue;
    uint16_t xf =
        format.IsDefault() ? kDefaultCellXF : book_.Styles().GetCellXF("General", &format);
    cells_.Label(row_, col, xf, caption);
    UpdateColumnWidth(caption, xf, i);
  }
  ++row_;
}

uint16_t SheetWriter::DataCellXF(int i) {
  const TMorvatColumn& column = sheet_.Columns[i];
  uint16_t xf = fieldXFs_[i];
  if (xf == kDefaultCellXF && !stripXFs_.empty())
    xf = stripXFs_[sheet_.RecordCounter % stripXFs_.size()][i];
  if (!events_.OnGetDataParams) return xf;
  TxlsFormat format;
  std::string formatString;
  if (xf == kDefaultCellXF) {
    format.Assign(sheet_.Options.DataFormat);
    formatString = "General";
  } else if (const TxlsXFormat* registered = book_.Styles().FindXF(xf)) {
    if (registered->Font != nullptr) format.Font = registered->Font->Font;
    format.Borders = registered->Borders;
    format.Fill = registered->Fill;
    format.Wrap = registered->Wrap;
    if (registered->NumberFormat != nullptr) formatString = registered->NumberFormat->Format;
  }
  events_.OnGetDataParams(sheet_, sheetIndex_, sheet_.StartDataCol + i, row_, format, formatString);
  if (formatString.empty()) formatString = NumberFormatOf(column);
  return book_.Styles().GetCellXF(formatString, &format);
}

void SheetWriter::WriteRecordRow() {
  WriteBeforeDataCells();
  for (int i = 0; i < sheet_.Columns.Count(); ++i) {
    std::string text = i < sheet_.Row.Count() ? sheet_.Row[i].Data : std::string();
    if (events_.EngineGetExportText) events_.EngineGetExportText(i, text);
    if (events_.OnAdvancedGetExportText)
      events_.OnAdvancedGetExportText(sheet_, sheetIndex_, i, text);
    const uint16_t xf = DataCellXF(i);
    WriteDataCell(i, text, xf);
    UpdateColumnWidth(text, xf, i);
  }
  ++row_;
}

void SheetWriter::WriteDataCell(int i, std::string& text, uint16_t xf) {
  const TMorvatColumn& column = sheet_.Columns[i];
  const TMorvatFormats& formats = sheet_.Formats;
  const int col = sheet_.StartDataCol + i;
  if (text.empty()) {
    cells_.Blank(row_, col, xf);
    return;
  }
  if (text == formats.NullString()) {
    cells_.Label(row_, col, xf, text);
    return;
  }
  switch (column.ColType) {
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency: {
      const double value = platform::ParseFloat(text).value_or(0.0);
      cells_.Number(row_, col, xf, value);
      totals_[i].Add(value);
      break;
    }
    case ectDate:
    case ectTime:
    case ectDateTime: {
      const double d = platform::ParseDateTime(text).value_or(0.0);
      if (d <= 1) {
        // What the date picture shows of it goes in as text.
        text = platform::FormatDateTime(column.Format, d);
        cells_.Label(row_, col, xf, text);
      } else {
        const double serial = SpreadsheetSerial(d);
        cells_.Number(row_, col, xf, serial);
        totals_[i].Add(serial);
      }
      break;
    }
    case ectString:
      cells_.Label(row_, col, xf, text);
      break;
    case ectBoolean:
      cells_.Boolean(row_, col, xf, SameText(text, formats.BooleanTrue()));
      break;
    case ectUnknown:
      cells_.Check(row_, col);
      break;
  }
}

void SheetWriter::UpdateColumnWidth(const std::string& text, uint16_t xf, int i) {
  if (!sheet_.AutoCalcColWidth || i < 0 || i >= static_cast<int>(autoWidths_.size())) return;
  TxlsFont font;
  if (const TxlsXFormat* registered = book_.Styles().FindXF(xf))
    if (registered->Font != nullptr) font = registered->Font->Font;
  const double pixels = measure_.TextWidth(text + "I", font);
  const int chars = static_cast<int>(std::ceil(pixels / zeroWidth_));
  if (chars > autoWidths_[i]) autoWidths_[i] = chars;
}

// --- Aggregates ---

void SheetWriter::WriteAggregates() {
  TMorvatColumns& columns = sheet_.Columns;
  columns.ResetAggregateIndexes();
  bool any = false;
  for (size_t f = 0; f < sheet_.FieldFormats.size(); ++f) {
    const TxlsFieldFormat& format = sheet_.FieldFormats[f];
    if (format.Aggregate == aggNone) continue;
    const int index = columns.IndexOfName(format.FieldName);
    if (index < 0) continue;
    columns[index].AggregateIndex = static_cast<int>(f) + 1;
    any = true;
  }
  if (!any) return;
  // The data rows: below the header lines and the caption row, up to the row before this one.
  int headerLines = sheet_.Header.Count();
  if (sheet_.HeaderRows != 0) headerLines = std::min(headerLines, sheet_.HeaderRows);
  const int firstRow = headerLines + (sheet_.AllowCaptions ? 1 : 0);
  const int lastRow = row_ - 1;
  bool written = false;
  for (int i = 0; i < columns.Count(); ++i) {
    const TMorvatColumn& column = columns[i];
    const int col = sheet_.StartDataCol + i;
    TxlsFormat format;
    format.Assign(sheet_.Options.AggregateFormat);
    std::string formatString = column.Format.empty() ? "General" : NumberFormatOf(column);
    std::string value;
    if (column.AggregateIndex > 0) {
      if (events_.OnGetAggregateParams)
        events_.OnGetAggregateParams(sheet_, sheetIndex_, i, format, formatString, value);
      const uint16_t xf = formatString == "General" && format.IsDefault()
                              ? kDefaultCellXF
                              : book_.Styles().GetCellXF(formatString, &format);
      const TxlsAggregate aggregate = sheet_.FieldFormats[column.AggregateIndex - 1].Aggregate;
      // Cached result: the value over the numbers this run wrote into the column, so that
      // readers which do not recalculate show it too. An average of no numbers is #DIV/0!.
      const ColumnTotals& totals = totals_[i];
      std::optional<double> cached;
      if (aggregate != aggAvg || totals.count != 0)
        cached = aggregate == aggSum   ? totals.sum
                 : aggregate == aggAvg ? totals.sum / static_cast<double>(totals.count)
                 : aggregate == aggMin ? totals.min
                                       : totals.max;
      cells_.Aggregate(row_, col, xf, aggregate, cached, firstRow, lastRow);
      written = true;
    } else if (events_.OnGetAggregateParams) {
      events_.OnGetAggregateParams(sheet_, sheetIndex_, i, format, formatString, value);
      if (!value.empty()) {
        const uint16_t xf = book_.Styles().GetCellXF("General", &format);
        cells_.Label(row_, col, xf, value);
        UpdateColumnWidth(value, xf, i);
        written = true;
      }
    }
  }
  if (written) ++row_;
}

}  // namespace vorlix::exporter::xls
