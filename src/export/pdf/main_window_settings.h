#pragma once
// The PDF exporter as the main window holds it, shared by the window and the command line.

#include "export/morvat_sources.h"
#include "export/pdf/morvat3_pdf.h"

namespace vorlix::exporter::pdf {

// Source: the member table (a list view); margins left 1.17, right 0.58, top 0.78 and bottom
// 0.78 inches; grid line width 0; every other option keeps its default.
void ConfigureAsMainWindowPdfExporter(TMorvat3PDF& exporter,
                                      IMorvatListView* memberTable = nullptr);

}  // namespace vorlix::exporter::pdf
