#pragma once
// The exporters as the main window holds them, shared by the window and the CLI: each reads the
// member table as a list-view source and keeps every option not named here at its default. The
// caller then sets FileName and calls Execute.

#include "export/morvat3_ascii.h"
#include "export/morvat_sources.h"
#include "export/pdf/morvat3_pdf.h"
#include "export/xls/morvat3_xls.h"
#include "export/xlsx/morvat3_xlsx.h"

namespace vorlix::core {

// Save to CSV: ";" between fields.
void ConfigureAsMainWindowCsvExporter(exporter::TMorvat3ASCII& exporter,
                                      exporter::IMorvatListView* memberTable = nullptr);

// Save to Excel (.xls): page footer "Page &P of &N", sheet title "Sheet 1", bold captions, blue
// single-underlined hyperlinks, notes left/top in Tahoma 8 bold.
void ConfigureAsMainWindowXlsExporter(exporter::xls::TMorvat3XLS& exporter,
                                      exporter::IMorvatListView* memberTable);

// The workbook (.xlsx) with the .xls exporter's table: sheet title "Sheet 1", bold Arial 10
// captions, Arial 10 cells, the list's column widths, and the page footer "Page &P of &N".
void ConfigureAsMainWindowXlsxExporter(exporter::xlsx::TMorvat3XLSX& exporter,
                                       exporter::IMorvatListView* memberTable);

// Print (PDF): margins left 1.17, right 0.58, top 0.78 and bottom 0.78 inches; grid line width 0.
void ConfigureAsMainWindowPdfExporter(exporter::pdf::TMorvat3PDF& exporter,
                                      exporter::IMorvatListView* memberTable = nullptr);

}  // namespace vorlix::core
