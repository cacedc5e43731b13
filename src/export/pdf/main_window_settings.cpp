#include "export/pdf/main_window_settings.h"

namespace vorlix::exporter::pdf {

void ConfigureAsMainWindowPdfExporter(TMorvat3PDF& exporter, IMorvatListView* memberTable) {
  exporter.ExportSource = esListView;
  exporter.ListView = memberTable;
  TMorvatPDFPageOptions& page = exporter.Options.PageOptions;
  page.SetUnits(unInch);
  page.SetMarginLeft(1.17);
  page.SetMarginRight(0.58);
  page.SetMarginTop(0.78);
  page.SetMarginBottom(0.78);
  exporter.Options.GridLineWidth = 0;
}

}  // namespace vorlix::exporter::pdf
