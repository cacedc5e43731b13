#include "app/core/exporter_settings.h"

namespace vorlix::core {

void ConfigureAsMainWindowCsvExporter(exporter::TMorvat3ASCII& exporter,
                                      exporter::IMorvatListView* memberTable) {
  exporter.ExportSource = exporter::esListView;
  exporter.ListView = memberTable;
  exporter.SetExportType(exporter::etCSV);
  exporter.CSVComma = ';';
}

void ConfigureAsMainWindowXlsExporter(exporter::xls::TMorvat3XLS& exporter,
                                      exporter::IMorvatListView* memberTable) {
  using namespace exporter::xls;
  exporter.ExportSource = exporter::esListView;
  exporter.ListView = memberTable;
  exporter.Options.PageFooter = "Page &P of &N";
  exporter.Options.SetSheetTitle("Sheet 1");
  exporter.Options.CaptionsFormat.Font.Style = xfsBold;
  exporter.Options.HyperlinkFormat.Font.Color = clrBlue;
  exporter.Options.HyperlinkFormat.Font.Underline = fulSingle;
  TxlsNoteFormat& note = exporter.Options.NoteFormat;
  note.Alignment.Horizontal = halLeft;
  note.Alignment.Vertical = valTop;
  note.Font.Name = "Tahoma";
  note.Font.Size = 8;
  note.Font.Style = xfsBold;
}

void ConfigureAsMainWindowXlsxExporter(exporter::xlsx::TMorvat3XLSX& exporter,
                                       exporter::IMorvatListView* memberTable) {
  using exporter::xlsx::TXlsxFont;
  exporter.ExportSource = exporter::esListView;
  exporter.ListView = memberTable;
  exporter.Options.SheetTitle = "Sheet 1";
  exporter.Options.PageFooter = "Page &P of &N";
  exporter.Options.CaptionsFont = TXlsxFont{"Arial", 10, true};
  exporter.Options.DataFont = TXlsxFont{"Arial", 10, false};
}

void ConfigureAsMainWindowPdfExporter(exporter::pdf::TMorvat3PDF& exporter,
                                      exporter::IMorvatListView* memberTable) {
  exporter.ExportSource = exporter::esListView;
  exporter.ListView = memberTable;
  exporter::pdf::TMorvatPDFPageOptions& page = exporter.Options.PageOptions;
  page.SetUnits(exporter::pdf::unInch);
  page.SetMarginLeft(1.17);
  page.SetMarginRight(0.58);
  page.SetMarginTop(0.78);
  page.SetMarginBottom(0.78);
  exporter.Options.GridLineWidth = 0;
}

}  // namespace vorlix::core
