#include "app/core/exporter_settings.h"

namespace vorlix::core {

void ConfigureAsMainWindowCsvExporter(exporter::TMorvat3ASCII& exporter,
                                      exporter::IMorvatListView* memberTable) {
  exporter.ExportSource = exporter::esListView;
  exporter.ListView = memberTable;
  exporter.SetExportType(exporter::etCSV);
  exporter.CSVComma = ';';
}

}  // namespace vorlix::core
