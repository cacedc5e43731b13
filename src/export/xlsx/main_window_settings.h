#pragma once
// The workbook (.xlsx) exporter as the main window carries it, shared by the window and the
// command line, with the .xls exporter's table: the member table as a list-view source, sheet
// title "Sheet 1", bold Arial 10 captions, Arial 10 cells, the list's column widths, and the
// page footer "Page &P of &N". The caller then sets FileName and calls Execute.

#include "export/morvat_sources.h"
#include "export/xlsx/morvat3_xlsx.h"

namespace vorlix::exporter::xlsx {

void ConfigureAsMainWindowXlsxExporter(TMorvat3XLSX& exporter, IMorvatListView* memberTable);

}  // namespace vorlix::exporter::xlsx
