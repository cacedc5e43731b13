#pragma once
// The text exporter as the main window holds it (Save to CSV), shared by the window and the CLI.
// The spreadsheet and PDF exporters have theirs beside them (ConfigureAsMainWindowXlsExporter,
// ConfigureAsMainWindowPdfExporter).

#include "export/morvat3_ascii.h"
#include "export/morvat_sources.h"

namespace vorlix::core {

// Source: the member table (a list view); CSV with ";" between fields; every other option keeps
// its default.
void ConfigureAsMainWindowCsvExporter(exporter::TMorvat3ASCII& exporter,
                                      exporter::IMorvatListView* memberTable = nullptr);

}  // namespace vorlix::core
