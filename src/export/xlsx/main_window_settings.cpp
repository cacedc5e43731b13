#include "export/xlsx/main_window_settings.h"

namespace vorlix::exporter::xlsx {

void ConfigureAsMainWindowXlsxExporter(TMorvat3XLSX& exporter, IMorvatListView* memberTable) {
  exporter.ExportSource = esListView;
  exporter.ListView = memberTable;
  exporter.Options.SheetTitle = "Sheet 1";
  exporter.Options.PageFooter = "Page &P of &N";
  exporter.Options.CaptionsFont = TXlsxFont{"Arial", 10, true};
  exporter.Options.DataFont = TXlsxFont{"Arial", 10, false};
}

}  // namespace vorlix::exporter::xlsx
