#pragma once
// Options of a spreadsheet export that the component and every sheet own: page header and
// footer, the sheet title, and the formats of the kinds of cells.

#include <string>

#include "export/xls/formats.h"

namespace vorlix::exporter::xls {

class TXLSOptions {
 public:
  TXLSOptions();

  std::string PageHeader;                    // UTF-8
  std::string PageFooter = "Page &P of &N";  // UTF-8
  TxlsFormat HeaderFormat, DataFormat, AggregateFormat, FooterFormat;
  TxlsFormat CaptionsFormat;   // bold
  TxlsFormat HyperlinkFormat;  // blue, single underline
  TxlsNoteFormat NoteFormat;

  const std::string& SheetTitle() const { return sheetTitle_; }
  // An empty title stores "Sheet1".
  void SetSheetTitle(const std::string& title);

  // Copies the seven formats (not the texts).
  void Assign(const TXLSOptions& other);

 private:
  std::string sheetTitle_ = "Sheet 1";
};

}  // namespace vorlix::exporter::xls
