#pragma once
// The spreadsheet exporter as the main window carries it, shared by the window and the
// command line: the member table as a list-view source, page footer "Page &P of &N", sheet
// title "Sheet 1", bold captions, blue single-underlined hyperlinks, notes left/top in
// Tahoma 8 bold; everything else at its defaults. The caller then sets FileName and calls
// Execute.

#include "export/morvat_sources.h"
#include "export/xls/morvat3_xls.h"

namespace vorlix::exporter::xls {

void ConfigureAsMainWindowXlsExporter(TMorvat3XLS& exporter, IMorvatListView* memberTable);

}  // namespace vorlix::exporter::xls
