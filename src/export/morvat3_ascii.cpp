#include "export/morvat3_ascii.h"

#include <cctype>

#include "export/morvat_strings.h"
#include "platform/locale_facts.h"

namespace vorlix::exporter {

namespace {
const char kCrLf[] = "\r\n";

// Doubles every `ch` in the text.
std::string Doubled(const std::string& text, char ch) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    out += c;
    if (c == ch) out += c;
  }
  return out;
}

// The text within `quote` characters, each one inside doubled.
std::string Quoted(const std::string& text, char quote) {
  std::string out(1, quote);
  out += Doubled(text, quote);
  out += quote;
  return out;
}

// An optional "-", digits, and optionally "." and digits: what a DIF reader takes as a number.
bool IsPlainNumber(const std::string& text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (digits == 0) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    size_t fraction = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++fraction;
    if (fraction == 0) return false;
  }
  return i == text.size();
}
}  // namespace

TMorvat3ASCII::TMorvat3ASCII() {
  char separator = platform::FormatSettings().listSeparator;
  CSVComma = separator ? separator : ',';
  AutoCalcColWidth = true;
  OffersColumnsWidth = true;
  OffersColumnsAlign = true;
}

void TMorvat3ASCII::SetExportType(TMorvatASCIIType type) {
  if (type == etTXT && exportType_ != etTXT) AutoCalcColWidth = true;
  exportType_ = type;
}

std::function<void(int)> TMorvat3ASCII::RecNoEventOption(std::string_view name) const {
  if (name == "OnFetchedRecord") {
    if (!OnFetchedRecord) return {};
    auto* self = const_cast<TMorvat3ASCII*>(this);
    return [self](int recNo) { self->OnFetchedRecord(*self, recNo); };
  }
  return TMorvat3FormatText::RecNoEventOption(name);
}

void TMorvat3ASCII::BeginExport() {
  TMorvat3FormatText::BeginExport();
  if (exportType_ != etTXT) AutoCalcColWidth = false;
  // An abort from OnBeginExport has already written the trailer; an opening after it would
  // only garble the file.
  if (Aborted) return;
  switch (exportType_) {
    case etTXT:
      if (!Title.empty()) {
        Writer->WriteLn(Title);
        Writer->CharLine('-', 80);
        Writer->EmptyLine();
      }
      for (const std::string& line : Header.Lines()) Writer->WriteLn(line);
      break;
    case etCSV:
      for (const std::string& line : Header.Lines()) Writer->WriteLn(line);
      break;
    case etDIF: {
      Writer->WriteLn("TABLE");
      Writer->WriteLn("0,1");
      Writer->WriteLn(Quoted(Title, '"'));
      Writer->WriteLn("VECTORS");
      Writer->WriteLn("0," + std::to_string(Columns.Count()));
      Writer->WriteLn("\"\"");
      Writer->WriteLn("TUPLES");
      int tuples = 0;
      if (!CountDifTuples(tuples)) return;
      // Readers take the number as the count of rows, the caption row included.
      if (CaptionsAllowed()) ++tuples;
      Writer->WriteLn("0," + std::to_string(tuples));
      Writer->WriteLn("\"\"");
      Writer->WriteLn("DATA");
      Writer->WriteLn("0,0");
      Writer->WriteLn("\"\"");
      break;
    }
    case etSYLK:
      Writer->WriteLn("ID;PVASCIIEXPORT");
      break;
  }
}

bool TMorvat3ASCII::CountDifTuples(int& count) {
  count = 0;
  MorvatSavedPosition saved(Source());

  FirstRecord();
  SkipRecords();
  RecordCounter = 0;
  bool completed = true;
  while (!EndOfData() && (ExportRecCount == 0 || RecordCounter < ExportRecCount)) {
    if (Aborted && !CanContinue()) {
      completed = false;
      break;
    }
    ++count;
    if (CurrentRecordOnly) break;
    NextRecord();
    if (OnFetchedRecord) OnFetchedRecord(*this, RecordCounter);
  }
  RecordCounter = 0;
  saved.Restore();
  return completed;
}

void TMorvat3ASCII::WriteCsvFooter() {
  for (const std::string& line : Footer.Lines()) Writer->WriteLn(line + CSVComma);
}

void TMorvat3ASCII::WriteDifTrailer() {
  Writer->WriteLn("-1,0");
  Writer->WriteLn("EOD");
}

void TMorvat3ASCII::EndExport() {
  if (Writer) {
    switch (exportType_) {
      case etTXT:
        for (const std::string& line : Footer.Lines()) Writer->WriteLn(line);
        break;
      case etCSV:
        WriteCsvFooter();
        break;
      case etDIF:
        WriteDifTrailer();
        break;
      case etSYLK:
        Writer->WriteLn("E");
        break;
    }
  }
  TMorvat3FormatText::EndExport();
}

void TMorvat3ASCII::Abort() {
  if (Writer) {
    if (exportType_ == etCSV) {
      Writer->EmptyLine();
      WriteCsvFooter();
    } else if (exportType_ == etDIF) {
      WriteDifTrailer();
    }
  }
  TMorvat3FormatText::Abort();
}

std::string TMorvat3ASCII::EndRow(std::string text) const {
  if (exportType_ == etCSV && !text.empty()) text.pop_back();
  if (exportType_ == etTXT || exportType_ == etCSV) text += kCrLf;
  return text;
}

std::string TMorvat3ASCII::CaptionRowText() {
  return EndRow(TMorvat3FormatText::CaptionRowText());
}

std::string TMorvat3ASCII::DataRowText(CellFormat format) {
  return EndRow(TMorvat3FormatText::DataRowText(format));
}

void TMorvat3ASCII::WriteCaptionRow() {
  std::string text = CaptionRowText();
  if (!text.empty()) Writer->Write(text);
}

void TMorvat3ASCII::WriteDataRow() {
  Writer->Write(DataRowText(CellFormat::kFormatted));
}

std::string TMorvat3ASCII::Quote(const std::string& text) const {
  if (!CSVQuoteStrings || CSVQuote == 0) return text;
  return Quoted(text, CSVQuote);
}

std::string TMorvat3ASCII::Fit(const std::string& text, const TMorvatColumn& column) const {
  std::string out;
  switch (column.ColAlign) {
    case ecaCenter:
      out = TMorvatWriter::PadCenter(text, ' ', column.Width);
      break;
    case ecaRight:
      out = TMorvatWriter::PadLeft(text, ' ', column.Width);
      break;
    default:
      out = TMorvatWriter::PadRight(text, ' ', column.Width);
      break;
  }
  if (TXTSpacing > 0) out.append(static_cast<size_t>(TXTSpacing), ' ');
  return out;
}

std::string TMorvat3ASCII::DifCell(const std::string& text, DifValue kind, bool first) const {
  std::string out = first ? "-1,0\r\nBOT\r\n" : "";
  // A value that a reader would not take as a number is kept as a string.
  if (kind == DifValue::kString || !IsPlainNumber(text))
    out += "1,0\r\n" + Quoted(text, '"') + "\r\n";
  else
    out += "0," + text + "\r\nV\r\n";
  return out;
}

std::string TMorvat3ASCII::SylkCell(const std::string& text, int col, int row) const {
  return "C;X" + std::to_string(col) + ";Y" + std::to_string(row) + ";K\"" + Doubled(text, ';') +
         "\"\r\n";
}

std::string TMorvat3ASCII::ColumnCaptionText(int index) {
  std::string caption = TMorvat3FormatText::ColumnCaptionText(index);
  switch (exportType_) {
    case etTXT:
      return Fit(caption, Columns[index]);
    case etCSV:
      return Quote(caption) + CSVComma;
    case etDIF:
      return DifCell(caption, DifValue::kString, index == 0);
    case etSYLK:
      return SylkCell(caption, index + 1, 1);
  }
  return caption;
}

std::string TMorvat3ASCII::NormalizeText(const std::string& text) {
  if (exportType_ == etCSV) return text;
  return LineBreaksToBlanks(text, exportType_ == etTXT);
}

std::string TMorvat3ASCII::CellText(TMorvatCol& col) {
  // Values of the types that skip the engine's normalizing (Boolean, unknown) get it here.
  const std::string text = NormalizeText(col.Data);
  const TMorvatColumn& column = Columns[col.ColumnIndex];
  switch (exportType_) {
    case etTXT:
      return Fit(text, column);
    case etCSV:
      return Quote(text) + CSVComma;
    case etDIF:
      return DifCell(text, column.ColType == ectString ? DifValue::kString : DifValue::kNumber,
                     col.ColumnIndex == 0);
    case etSYLK:
      return SylkCell(text, col.ColumnIndex + 1, RecordCounter + 1 + (AllowCaptions ? 1 : 0));
  }
  return text;
}

}  // namespace vorlix::exporter
