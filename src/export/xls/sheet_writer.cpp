#include "export/xls/sheet_writer.h"

#include <algorithm>
#include <cmath>

#include "export/morvat_messages.h"
#include "export/morvat_strings.h"
#include "export/xls/date_formats.h"
#include "export/xls/text_codec.h"
#include "platform/date_time.h"
#include "platform/number_picture.h"
#include "platform/text_encoding.h"

namespace vorlix::exporter::xls {

namespace {

uint16_t ColumnWidthUnits(double units) {
  return static_cast<uint16_t>(std::clamp(units, 0.0, double(kMaxColumnWidthUnits)));
}

constexpr uint8_t kStdLinkClsid[16] = {0xD0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                       0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t kUrlMonikerClsid[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                          0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t kFileMonikerClsid[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

void AppendU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendUtf16(std::vector<uint8_t>& out, const std::u16string& text, bool terminate) {
  for (char16_t c : text) AppendU16(out, c);
  if (terminate) AppendU16(out, 0);
}

// Data of a HLINK record.
std::vector<uint8_t> HyperlinkData(const TxlsHyperlink& link) {
  const std::u16string title = Utf16FromUtf8(link.Title);
  const std::u16string target = Utf16FromUtf8(link.Target);
  const uint16_t row = static_cast<uint16_t>(link.Row - 1);
  const uint16_t col = static_cast<uint16_t>(link.Col - 1);
  std::vector<uint8_t> d;
  AppendU16(d, row);
  AppendU16(d, row);
  AppendU16(d, col);
  AppendU16(d, col);
  d.insert(d.end(), kStdLinkClsid, kStdLinkClsid + 16);
  AppendU32(d, 2);
  AppendU32(d, 0x17);
  AppendU32(d, static_cast<uint32_t>(title.size() + 1));
  AppendUtf16(d, title, true);
  if (link.Style == hlsURL) {
    d.insert(d.end(), kUrlMonikerClsid, kUrlMonikerClsid + 16);
    AppendU32(d, static_cast<uint32_t>(2 * target.size() + 2));
    AppendUtf16(d, target, true);
  } else {
    // File moniker: the 8-bit short path, the fixed block, then the UTF-16 path.
    d.insert(d.end(), kFileMonikerClsid, kFileMonikerClsid + 16);
    AppendU16(d, 0);  // no parent-directory steps
    // The short path is in the 8-bit code page: its own bytes, "?" for what it lacks.
    AppendU32(d, static_cast<uint32_t>(target.size() + 1));
    for (char16_t c : target) {
      const int code = platform::ToCp1252(c);
      d.push_back(code < 0 ? '?' : static_cast<uint8_t>(code));
    }
    d.push_back(0);
    const uint8_t fixed[4] = {0xFF, 0xFF, 0xAD, 0xDE};
    d.insert(d.end(), fixed, fixed + 4);
    d.insert(d.end(), 20, 0);
    const uint32_t pathBytes = static_cast<uint32_t>(2 * target.size());
    AppendU32(d, pathBytes + 6);  // size of the byte count, the key value and the path
    AppendU32(d, pathBytes);
    AppendU16(d, 3);
    AppendUtf16(d, target, false);
  }
  return d;
}

// The number format of a column's cells: a date or time picture in the spreadsheet's syntax,
// any other format as it is.
std::string NumberFormatOf(const TMorvatColumn& column) {
  const bool dateTime =
      column.ColType == ectDate || column.ColType == ectTime || column.ColType == ectDateTime;
  return dateTime ? SpreadsheetDateFormat(column.Format) : column.Format;
}

bool IsBadTitleCharacter(char16_t c) {
  return c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' || c == u']' ||
         c < 0x20;
}

}  // namespace

void ValidateSheetSettings(const TxlsSheet& sheet) {
  auto fail = [&](const std::string& what) {
    throw EMorvatError("Sheet \"" + sheet.Title + "\": " + what);
  };
  const std::u16string title = Utf16FromUtf8(sheet.Title);
  if (title.empty()) fail("the sheet title is empty");
  if (title.size() > 31) fail("the sheet title is longer than 31 characters");
  for (char16_t c : title)
    if (IsBadTitleCharacter(c))
      fail(
          "the sheet title holds a character that is not allowed (: \\ / ? * [ ] or a control "
          "character)");
  if (title.front() == u'\'' || title.back() == u'\'')
    fail("the sheet title begins or ends with an apostrophe");
  if (Utf16Length(sheet.Options.PageHeader) > 255)
    fail("the page header is longer than 255 characters");
  if (Utf16Length(sheet.Options.PageFooter) > 255)
    fail("the page footer is longer than 255 characters");
  if (sheet.StartDataCol < 0 || sheet.StartDataCol > 255)
    fail("the first data column lies outside the sheet's 256 columns");
  for (const TxlsCell& cell : sheet.Cells)
    if (cell.IsValid() &&
        (cell.Row < 0 || cell.Row > kMaxRows || cell.Col < 0 || cell.Col > kMaxCols))
      fail("the cell at row " + std::to_string(cell.Row) + ", column " + std::to_string(cell.Col) +
           " lies outside the sheet");
  for (const TxlsMergedCells& m : sheet.MergedCells)
    if (m.IsValid() && (m.FirstRow < 0 || m.LastRow < 0 || m.FirstCol < 0 || m.LastCol < 0 ||
                        m.FirstRow > kMaxRows || m.LastRow > kMaxRows || m.FirstCol > kMaxCols ||
                        m.LastCol > kMaxCols || m.FirstRow > m.LastRow || m.FirstCol > m.LastCol))
      fail("a merged range lies outside the sheet or is reversed");
  for (const TxlsHyperlink& link : sheet.Hyperlinks) {
    if (!link.IsValid()) continue;
    if (link.Row < 0 || link.Row > kMaxRows) fail("a hyperlink lies outside the sheet");
    if (HyperlinkData(link).size() > kMaxRecordData)
      fail("the hyperlink \"" + link.Title + "\" is too long");
    if (10 + 2 * (Utf16Length(link.ScreenTip) + 1) > kMaxRecordData)
      fail("the screen tip of the hyperlink \"" + link.Title + "\" is too long");
  }
}

namespace {

std::string TooManyColumns(const TxlsSheet& sheet, int columns) {
  return "Sheet \"" + sheet.Title + "\": " + std::to_string(columns) + " columns from column " +
         std::to_string(sheet.StartDataCol + 1) + " do not fit the sheet's 256 columns";
}

std::string TooManyRows(const std::string& title) {
  return "Sheet \"" + title + "\" needs more than " + std::to_string(kMaxRows) +
         " rows, the most a sheet can hold";
}

int LinesWritten(const TMorvatStringList& lines, int lineCount) {
  return std::max(lineCount != 0 ? lineCount : lines.Count(), 0);
}

}  // namespace

void CheckSheetSize(const TxlsSheet& sheet, std::optional<int> records) {
  const TMorvatColumns& columns = sheet.Columns;
  if (sheet.StartDataCol + columns.Count() > kMaxCols)
    throw EMorvatError(TooManyColumns(sheet, columns.Count()));
  if (!records) return;
  int64_t rows = LinesWritten(sheet.Header, sheet.HeaderRows) + (sheet.AllowCaptions ? 1 : 0);
  rows += sheet.CurrentRecordOnly ? std::min(*records, 1) : *records;
  for (const TxlsFieldFormat& format : sheet.FieldFormats)
    if (format.Aggregate != aggNone && columns.IndexOfName(format.FieldName) >= 0) {
      ++rows;
      break;
    }
  rows += LinesWritten(sheet.Footer, sheet.FooterRows);
  if (rows > kMaxRows) throw EMorvatError(TooManyRows(sheet.Title));
}

TxlsSheetWriter::TxlsSheetWriter(TxlsWorkbookWriter& book, TxlsSheet& sheet, int sheetIndex,
                                 const TxlsCellEvents& events, const ITextMeasure& measure)
    : book_(book), sheet_(sheet), sheetIndex_(sheetIndex), events_(events), measure_(measure) {
  zeroWidth_ = xls::ZeroWidth(measure_);
}

void TxlsSheetWriter::Prepare() {
  sheet_.CurrentRow = 0;
  sheet_.RecordCounter = 0;
  sheet_.FieldXFs.clear();
  sheet_.StripXFs.clear();
  sheet_.ColumnXFs.assign(sheet_.Columns.Count(), kDefaultCellXF);
  TxlsStyleTable& styles = book_.Styles();
  styles.SetDataFont(sheet_.Options.DataFormat.Font);
  const TMorvatColumns& columns = sheet_.Columns;
  if (sheet_.StartDataCol + columns.Count() > kMaxCols)
    throw EMorvatError(TooManyColumns(sheet_, columns.Count()));
  const bool strips = sheet_.StripType != ssNone && !sheet_.StripStyles.empty();
  if (!strips) {
    for (int i = 0; i < columns.Count(); ++i) {
      const TMorvatColumn& column = columns[i];
      const TxlsFormat* format = nullptr;
      for (const TxlsFieldFormat& f : sheet_.FieldFormats)
        if (SameText(f.FieldName, column.Name)) {
          format = &f;
          break;
        }
      uint16_t xf = styles.GetCellXF(NumberFormatOf(column), format);
      if (xf != kDefaultCellXF) sheet_.FieldXFs.emplace(LowerText(column.Name), xf);
    }
    // Columns of equal names share the XF kept under that name.
    for (int i = 0; i < columns.Count(); ++i)
      if (auto it = sheet_.FieldXFs.find(LowerText(columns[i].Name)); it != sheet_.FieldXFs.end())
        sheet_.ColumnXFs[i] = it->second;
  } else {
    const int n = static_cast<int>(sheet_.StripStyles.size());
    for (int i = 0; i < columns.Count(); ++i) {
      if (sheet_.StripType == ssCol) {
        sheet_.StripXFs[i] =
            styles.GetCellXF(NumberFormatOf(columns[i]), &sheet_.StripStyles[i % n]);
      } else {
        for (int s = 0; s < n; ++s)
          sheet_.StripXFs[i + 1000 * s] =
              styles.GetCellXF(NumberFormatOf(columns[i]), &sheet_.StripStyles[s]);
      }
    }
  }
  sheet_.AutoWidths.clear();
  for (int i = 0; i < columns.Count(); ++i) sheet_.AutoWidths.push_back(columns[i].Width);
  totals_.assign(columns.Count(), ColumnTotals{});
}

void TxlsSheetWriter::ColumnTotals::Add(double value) {
  min = count == 0 ? value : std::min(min, value);
  max = count == 0 ? value : std::max(max, value);
  sum += value;
  ++count;
}

// --- Cell records ---

void TxlsSheetWriter::CheckCell(int row, int col) const {
  if (row >= kMaxRows) throw EMorvatError(TooManyRows(sheet_.Title));
  if (col >= kMaxCols || col < 0 || row < 0)
    throw EMorvatError("Sheet \"" + sheet_.Title + "\" needs more than " +
                       std::to_string(kMaxCols) + " columns, the most a sheet can hold");
}

void TxlsSheetWriter::WriteLabel(int row, int col, uint16_t xf, const std::string& text,
                                 bool widen) {
  CheckCell(row, col);
  uint8_t* d = book_.Buffer();
  PutU16(d, static_cast<uint16_t>(row));
  PutU16(d + 2, static_cast<uint16_t>(col));
  PutU16(d + 4, xf);
  Utf16FromUtf8(text, scratch_);
  PutU32(d + 6, book_.Sst().AddString(scratch_));
  book_.WriteRecord(rid::kLabelSst, 10);
  if (widen) book_.CurrentSheet().Widen(row, col);
}

void TxlsSheetWriter::WriteNumber(int row, int col, uint16_t xf, double value, bool widen) {
  CheckCell(row, col);
  uint8_t* d = book_.Buffer();
  PutU16(d, static_cast<uint16_t>(row));
  PutU16(d + 2, static_cast<uint16_t>(col));
  PutU16(d + 4, xf);
  PutDouble(d + 6, value);
  book_.WriteRecord(rid::kNumber, 14);
  if (widen) book_.CurrentSheet().Widen(row, col);
}

void TxlsSheetWriter::WriteBoolErr(int row, int col, uint16_t xf, bool value, bool widen) {
  CheckCell(row, col);
  uint8_t* d = book_.Buffer();
  PutU16(d, static_cast<uint16_t>(row));
  PutU16(d + 2, static_cast<uint16_t>(col));
  PutU16(d + 4, xf);
  d[6] = value ? 1 : 0;
  d[7] = 0;
  book_.WriteRecord(rid::kBoolErr, 8);
  if (widen) book_.CurrentSheet().Widen(row, col);
}

void TxlsSheetWriter::WriteBlank(int row, int col, uint16_t xf, bool widen) {
  CheckCell(row, col);
  uint8_t* d = book_.Buffer();
  PutU16(d, static_cast<uint16_t>(row));
  PutU16(d + 2, static_cast<uint16_t>(col));
  PutU16(d + 4, xf);
  book_.WriteRecord(rid::kBlank, 6);
  if (widen) book_.CurrentSheet().Widen(row, col);
}

// --- Sheet head ---

void TxlsSheetWriter::WriteHeaderFooterRecord(uint16_t id, const std::string& text) {
  const std::u16string chars = Utf16FromUtf8(text);
  if (chars.empty()) {
    book_.WriteRecord(id, 0);
    return;
  }
  if (chars.size() > 255)
    throw EMorvatError("Sheet \"" + sheet_.Title +
                       "\": the page header or footer is longer than "
                       "255 characters");
  uint8_t* d = book_.Buffer();
  PutU16(d, static_cast<uint16_t>(chars.size()));
  // 8-bit characters when every character has one; otherwise UTF-16, so nothing is lost.
  if (FitsCompressed(chars)) {
    d[2] = 0;
    for (size_t i = 0; i < chars.size(); ++i) d[3 + i] = static_cast<uint8_t>(chars[i]);
    book_.WriteRecord(id, static_cast<uint16_t>(3 + chars.size()));
  } else {
    d[2] = 1;
    for (size_t i = 0; i < chars.size(); ++i) PutU16(d + 3 + 2 * i, chars[i]);
    book_.WriteRecord(id, static_cast<uint16_t>(3 + 2 * chars.size()));
  }
}

void TxlsSheetWriter::WriteSheetHead() {
  book_.AddBoundSheet(sheetIndex_, Utf16FromUtf8(sheet_.Title));
  book_.WriteBOF(0x0010);
  book_.WriteWordRecord(rid::kCalcMode, 1);
  book_.WriteWordRecord(rid::kCalcCount, 100);
  book_.WriteWordRecord(rid::kRefMode, 1);
  book_.WriteWordRecord(rid::kIteration, 0);
  PutDouble(book_.Buffer(), 0.001);
  book_.WriteRecord(rid::kDelta, 8);
  book_.WriteWordRecord(rid::kSaveRecalc, 1);
  book_.WriteWordRecord(rid::kPrintHeaders, 0);
  book_.WriteWordRecord(rid::kPrintGridlines, 0);
  book_.WriteWordRecord(rid::kGridSet, 1);
  std::fill_n(book_.Buffer(), 8, 0);
  book_.WriteRecord(rid::kGuts, 8);
  book_.WriteWordRecord(rid::kDefColWidth, static_cast<uint16_t>(sheet_.DefColWidth));
  PutU16(book_.Buffer(), 0);
  PutU16(book_.Buffer() + 2, static_cast<uint16_t>(std::trunc(sheet_.DefRowHeight * 20)));
  book_.WriteRecord(rid::kDefaultRowHeight, 4);
  book_.WriteWordRecord(rid::kWsBool, 0x04C1);
  WriteHeaderFooterRecord(rid::kHeader, sheet_.Options.PageHeader);
  WriteHeaderFooterRecord(rid::kFooter, sheet_.Options.PageFooter);
  book_.WriteWordRecord(rid::kHCenter, 0);
  book_.WriteWordRecord(rid::kVCenter, 0);
  // Column widths: W characters plus the cell margins, in 1/256 of the width of "0".
  sheet_.FirstColInfoPosition = book_.Stream().Position();
  for (int i = 0; i < sheet_.Columns.Count(); ++i) {
    const int col = sheet_.StartDataCol + i;
    uint8_t* d = book_.Buffer();
    PutU16(d, static_cast<uint16_t>(col));
    PutU16(d + 2, static_cast<uint16_t>(col));
    PutU16(d + 4, StoredColumnWidth(sheet_.Columns[i].Width, measure_));
    PutU16(d + 6, kDefaultCellXF);
    PutU16(d + 8, 0);
    d[10] = 0;
    book_.WriteRecord(rid::kColInfo, 11);
  }
  book_.CurrentSheet().DimensionsPosition = static_cast<uint32_t>(book_.Stream().Position());
  std::fill_n(book_.Buffer(), 14, 0);
  book_.WriteRecord(rid::kDimensions, 14);
}

// --- Lines, captions, records ---

void TxlsSheetWriter::WriteLines(const TMorvatStringList& lines, int lineCount,
                                 const TxlsFormat& format, const TxlsLineParamsEvent& event) {
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
      if (event) event(sheet_, sheetIndex_, j, sheet_.CurrentRow, cellFormat, text);
      if (!text.empty())
        WriteLabel(sheet_.CurrentRow, j, book_.Styles().GetCellXF("General", &cellFormat), text);
    }
    ++sheet_.CurrentRow;
  }
}

void TxlsSheetWriter::WriteBeforeDataCells() {
  if (!events_.OnGetBeforeDataParams) return;
  for (int j = 0; j < sheet_.StartDataCol; ++j) {
    TxlsFormat format;
    format.Assign(sheet_.Options.DataFormat);
    std::string text;
    events_.OnGetBeforeDataParams(sheet_, sheetIndex_, j, sheet_.CurrentRow, format, text);
    if (!text.empty())
      WriteLabel(sheet_.CurrentRow, j, book_.Styles().GetCellXF("General", &format), text);
  }
}

void TxlsSheetWriter::WriteCaptions() {
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
    WriteLabel(sheet_.CurrentRow, col, xf, caption);
    UpdateColumnWidth(caption, xf, i);
  }
  ++sheet_.CurrentRow;
}

uint16_t TxlsSheetWriter::DataCellXF(int i) {
  const TMorvatColumn& column = sheet_.Columns[i];
  uint16_t xf = sheet_.ColumnXFs[i];
  if (xf == kDefaultCellXF && !sheet_.StripXFs.empty()) {
    const int n = static_cast<int>(sheet_.StripStyles.size());
    const int stripKey =
        sheet_.StripType == ssCol ? i : i + 1000 * (n > 0 ? sheet_.RecordCounter % n : 0);
    if (auto it = sheet_.StripXFs.find(stripKey); it != sheet_.StripXFs.end()) xf = it->second;
  }
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
  events_.OnGetDataParams(sheet_, sheetIndex_, sheet_.StartDataCol + i, sheet_.CurrentRow, format,
                          formatString);
  if (formatString.empty()) formatString = NumberFormatOf(column);
  return book_.Styles().GetCellXF(formatString, &format);
}

void TxlsSheetWriter::WriteRecordRow() {
  WriteBeforeDataCells();
  const TMorvatFormats& formats = sheet_.Formats;
  for (int i = 0; i < sheet_.Columns.Count(); ++i) {
    const TMorvatColumn& column = sheet_.Columns[i];
    std::string t = i < sheet_.Row.Count() ? sheet_.Row[i].Data : std::string();
    if (events_.EngineGetExportText) events_.EngineGetExportText(i, t);
    if (events_.OnAdvancedGetExportText) events_.OnAdvancedGetExportText(sheet_, sheetIndex_, i, t);
    const uint16_t x = DataCellXF(i);
    const int k = sheet_.StartDataCol + i;
    const int r = sheet_.CurrentRow;
    if (t.empty()) {
      WriteBlank(r, k, x);
    } else if (t == formats.NullString()) {
      WriteLabel(r, k, x, t);
    } else {
      switch (column.ColType) {
        case ectInteger:
        case ectBigint:
        case ectFloat:
        case ectCurrency: {
          const double value = platform::ParseFloat(t).value_or(0.0);
          WriteNumber(r, k, x, value);
          totals_[i].Add(value);
          break;
        }
        case ectDate:
        case ectTime:
        case ectDateTime: {
          const double d = platform::ParseDateTime(t).value_or(0.0);
          if (d <= 1) {
            t = platform::FormatDateTime(column.Format, d);
            WriteLabel(r, k, x, t);
          } else {
            // January and February 1900: the spreadsheet counts a 29 February 1900.
            const double serial = d > 60 ? d : d - 1;
            WriteNumber(r, k, x, serial);
            totals_[i].Add(serial);
          }
          break;
        }
        case ectString:
          WriteLabel(r, k, x, t);
          break;
        case ectBoolean:
          WriteBoolErr(r, k, x, SameText(t, formats.BooleanTrue()));
          break;
        case ectUnknown:
          CheckCell(r, k);
          break;
      }
    }
    UpdateColumnWidth(t, x, i);
  }
  ++sheet_.CurrentRow;
}

void TxlsSheetWriter::UpdateColumnWidth(const std::string& text, uint16_t xf, int i) {
  if (!sheet_.AutoCalcColWidth || i < 0 || i >= static_cast<int>(sheet_.AutoWidths.size())) return;
  TxlsFont font;
  if (const TxlsXFormat* registered = book_.Styles().FindXF(xf))
    if (registered->Font != nullptr) font = registered->Font->Font;
  const double pixels = measure_.TextWidth(text + "I", font);
  const int chars = static_cast<int>(std::ceil(pixels / zeroWidth_));
  if (chars > sheet_.AutoWidths[i]) sheet_.AutoWidths[i] = chars;
}

// --- Aggregates ---

void TxlsSheetWriter::WriteAggregates() {
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
  const int lastRow = sheet_.CurrentRow - 1;
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
      CheckCell(sheet_.CurrentRow, col);
      const TxlsAggregate aggregate = sheet_.FieldFormats[column.AggregateIndex - 1].Aggregate;
      const uint16_t function = aggregate == aggSum   ? 4
                                : aggregate == aggAvg ? 5
                                : aggregate == aggMin ? 6
                                                      : 7;
      uint8_t* d = book_.Buffer();
      std::fill_n(d, 35, 0);
      PutU16(d, static_cast<uint16_t>(sheet_.CurrentRow));
      PutU16(d + 2, static_cast<uint16_t>(col));
      PutU16(d + 4, xf);
      // Cached result: the value over the numbers this run wrote into the column, so that
      // readers which do not recalculate show it too. An average of no numbers is #DIV/0!.
      const ColumnTotals& totals = totals_[i];
      if (aggregate == aggAvg && totals.count == 0) {
        d[6] = 0x02;  // error value
        d[8] = 0x07;  // #DIV/0!
        PutU16(d + 12, 0xFFFF);
      } else {
        PutDouble(d + 6, aggregate == aggSum   ? totals.sum
                         : aggregate == aggAvg ? totals.sum / static_cast<double>(totals.count)
                         : aggregate == aggMin ? totals.min
                                               : totals.max);
      }
      PutU16(d + 14, 2);  // options: calculate on load
      PutU16(d + 20, 13);
      d[22] = 0x25;  // area reference
      PutU16(d + 23, static_cast<uint16_t>(std::max(firstRow, 0)));
      PutU16(d + 25, static_cast<uint16_t>(std::max(lastRow, 0)));
      PutU16(d + 27, static_cast<uint16_t>(col | 0xC000));
      PutU16(d + 29, static_cast<uint16_t>(col | 0xC000));
      d[31] = 0x42;  // function with a variable number of arguments
      d[32] = 1;
      PutU16(d + 33, function);
      book_.WriteRecord(rid::kFormula, 35);
      book_.CurrentSheet().Widen(sheet_.CurrentRow, col);
      written = true;
    } else if (events_.OnGetAggregateParams) {
      events_.OnGetAggregateParams(sheet_, sheetIndex_, i, format, formatString, value);
      if (!value.empty()) {
        const uint16_t xf = book_.Styles().GetCellXF("General", &format);
        WriteLabel(sheet_.CurrentRow, col, xf, value);
        UpdateColumnWidth(value, xf, i);
        written = true;
      }
    }
  }
  if (written) ++sheet_.CurrentRow;
}

void TxlsSheetWriter::RewriteColumnWidths() {
  if (!sheet_.AutoCalcColWidth) return;
  TxlsStream& stream = book_.Stream();
  const uint64_t end = stream.Position();
  for (size_t i = 0; i < sheet_.AutoWidths.size(); ++i) {
    stream.Seek(sheet_.FirstColInfoPosition + 15 * i + 8);
    stream.WriteU16(ColumnWidthUnits(double(sheet_.AutoWidths[i]) * 256));
  }
  stream.Seek(end);
}

// --- Sheet tail ---

void TxlsSheetWriter::WriteHyperlink(const TxlsHyperlink& link) {
  // Both records go out whole: a record piece of 8,220 bytes followed by a CONTINUE would make
  // readers refuse the workbook, and the checks keep both within one record.
  WriteWholeRecord(book_.Stream(), rid::kHlink, HyperlinkData(link));
  if (link.ScreenTip.empty()) return;
  const uint16_t row = static_cast<uint16_t>(link.Row - 1);
  const uint16_t col = static_cast<uint16_t>(link.Col - 1);
  std::vector<uint8_t> d;
  AppendU16(d, rid::kHlinkTooltip);
  AppendU16(d, row);
  AppendU16(d, row);
  AppendU16(d, col);
  AppendU16(d, col);
  AppendUtf16(d, Utf16FromUtf8(link.ScreenTip), true);
  WriteWholeRecord(book_.Stream(), rid::kHlinkTooltip, d);
}

void TxlsSheetWriter::WriteSheetTail() {
  TxlsStyleTable& styles = book_.Styles();
  // Explicit cells. They widen the used range too, so that DIMENSIONS covers every cell.
  for (const TxlsCell& cell : sheet_.Cells) {
    if (!cell.IsValid()) continue;
    const int r = cell.Row - 1, c = cell.Col - 1;
    switch (cell.CellType()) {
      case ctBoolean:
        WriteBoolErr(r, c, styles.GetCellXF("General", &cell.Format), cell.AsBoolean());
        break;
      case ctDateTime:
        WriteNumber(r, c,
                    styles.GetCellXF(SpreadsheetDateFormat(cell.DateTimeFormat), &cell.Format),
                    cell.AsNumber());
        break;
      case ctNumeric:
        WriteNumber(r, c, styles.GetCellXF(cell.NumericFormat, &cell.Format), cell.AsNumber());
        break;
      case ctString: {
        const uint16_t xf = styles.GetCellXF("General", &cell.Format);
        if (cell.AsText().empty())
          WriteBlank(r, c, xf);
        else
          WriteLabel(r, c, xf, cell.AsText());
        break;
      }
    }
  }
  // Merged ranges: the valid entries only, so that no empty range overlaps a real one.
  std::vector<const TxlsMergedCells*> merged;
  for (const TxlsMergedCells& m : sheet_.MergedCells)
    if (m.IsValid()) merged.push_back(&m);
  const size_t kRangesPerRecord = (kMaxRecordData - 2) / 8;
  for (size_t start = 0; start < merged.size(); start += kRangesPerRecord) {
    const size_t n = std::min(kRangesPerRecord, merged.size() - start);
    uint8_t* d = book_.Buffer();
    PutU16(d, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) {
      const TxlsMergedCells& m = *merged[start + i];
      PutU16(d + 2 + 8 * i, static_cast<uint16_t>(m.FirstRow - 1));
      PutU16(d + 4 + 8 * i, static_cast<uint16_t>(m.LastRow - 1));
      PutU16(d + 6 + 8 * i, static_cast<uint16_t>(m.FirstCol - 1));
      PutU16(d + 8 + 8 * i, static_cast<uint16_t>(m.LastCol - 1));
    }
    book_.WriteRecord(rid::kMergedCells, static_cast<uint16_t>(2 + 8 * n));
  }
  // Hyperlink labels.
  for (const TxlsHyperlink& link : sheet_.Hyperlinks)
    if (link.IsValid())
      WriteLabel(link.Row - 1, link.Col - 1, styles.GetCellXF("General", &link.Format), link.Title);
  // WINDOW2 and SELECTION.
  uint8_t* d = book_.Buffer();
  std::fill_n(d, 18, 0);
  PutU16(d, 0x06B6);
  book_.WriteRecord(rid::kWindow2, 18);
  std::fill_n(d, 16, 0);
  d[0] = 3;
  PutU16(d + 7, 1);
  book_.WriteRecord(rid::kSelection, 16);
  for (const TxlsHyperlink& link : sheet_.Hyperlinks)
    if (link.IsValid()) WriteHyperlink(link);
  book_.WriteEOF();
}

}  // namespace vorlix::exporter::xls
