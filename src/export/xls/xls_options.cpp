#include "export/xls/xls_options.h"

namespace vorlix::exporter::xls {

TXLSOptions::TXLSOptions() {
  CaptionsFormat.Font.Style = xfsBold;
  HyperlinkFormat.Font.Color = clrBlue;
  HyperlinkFormat.Font.Underline = fulSingle;
}

void TXLSOptions::SetSheetTitle(const std::string& title) {
  sheetTitle_ = title.empty() ? "Sheet1" : title;
}

void TXLSOptions::Assign(const TXLSOptions& other) {
  HeaderFormat.Assign(other.HeaderFormat);
  DataFormat.Assign(other.DataFormat);
  AggregateFormat.Assign(other.AggregateFormat);
  FooterFormat.Assign(other.FooterFormat);
  CaptionsFormat.Assign(other.CaptionsFormat);
  HyperlinkFormat.Assign(other.HyperlinkFormat);
  NoteFormat.Assign(other.NoteFormat);
}

}  // namespace vorlix::exporter::xls
