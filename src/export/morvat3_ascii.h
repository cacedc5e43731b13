#pragma once
// The text exporter: fixed-width text, delimiter-separated values, DIF and SYLK.

#include <string>

#include "export/morvat3.h"

namespace vorlix::exporter {

enum TMorvatASCIIType { etTXT, etCSV, etDIF, etSYLK };

class TMorvat3ASCII : public TMorvat3FormatText {
 public:
  TMorvat3ASCII();

  TMorvatASCIIType ExportType() const { return exportType_; }
  // Changing it to etTXT also sets AutoCalcColWidth.
  void SetExportType(TMorvatASCIIType type);

  char CSVComma;        // the locale's list separator, "," when it gives none
  char CSVQuote = '"';  // 0 = no quoting
  bool CSVQuoteStrings = true;
  int TXTSpacing = 1;                 // blanks after every fixed-width field
  TMorvatRecNoEvent OnFetchedRecord;  // width pass and DIF counting pass

  std::function<void(int)> RecNoEventOption(std::string_view name) const override;

  void BeginExport() override;
  void EndExport() override;
  std::string CaptionRowText() override;
  void WriteCaptionRow() override;
  std::string DataRowText(CellFormat format) override;
  void WriteDataRow() override;
  std::string ColumnCaptionText(int index) override;
  std::string CellText(TMorvatCol& col) override;
  // Keeps every value on its line in the line-based layouts (CSV quotes instead):
  // - etTXT: CR LF, CR, LF and TAB each become one blank, so that columns stay aligned;
  // - etDIF and etSYLK: CR LF, CR and LF each become one blank; a TAB is kept, their readers
  //   take it as part of the value.
  std::string NormalizeText(const std::string& text) override;
  // Writes the layout's trailer (CSV: an empty line and the footer lines; DIF: the end of
  // data), then sets Aborted.
  void Abort() override;

 private:
  std::string Quote(const std::string& text) const;
  std::string Fit(const std::string& text, const TMorvatColumn& column) const;
  // A DIF cell holds a string, or a number when the text reads as one.
  enum class DifValue { kString, kNumber };
  std::string DifCell(const std::string& text, DifValue kind, bool first) const;
  std::string SylkCell(const std::string& text, int col, int row) const;
  void WriteCsvFooter();
  void WriteDifTrailer();
  // A caption or data row's text as the layout ends it: CSV drops the last separator, TXT and
  // CSV end the line.
  std::string EndRow(std::string text) const;
  // The DIF counting pass; false when the stop question ended it.
  bool CountDifTuples(int& count);

  TMorvatASCIIType exportType_ = etTXT;
};

}  // namespace vorlix::exporter
