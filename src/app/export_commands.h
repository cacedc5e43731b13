#pragma once
// The export commands of the main window: Save to Excel, Save to CSV and Print (PDF). Each asks
// for a file name (default: the short name of the text in edit1) and runs its exporter over the
// member table. Save to Excel offers the .xls workbook first and the .xlsx workbook second; the
// name's suffix picks the exporter. Nothing happens when the table is empty or the dialog is
// cancelled; an export error is shown in a message box.

#include <QString>
#include <memory>

#include "app/member_tree_export_source.h"
#include "export/morvat3_ascii.h"
#include "export/pdf/morvat3_pdf.h"
#include "export/xls/morvat3_xls.h"
#include "export/xlsx/morvat3_xlsx.h"

namespace vorlix::app {

class TForm1;

class ExportCommands {
 public:
  explicit ExportCommands(TForm1& window);
  ExportCommands(const ExportCommands&) = delete;
  ExportCommands& operator=(const ExportCommands&) = delete;

  void SaveToExcel();  // ToolButton9Click
  void SaveToCsv();    // ToolButton10Click
  void Print();        // ToolButton2Click

  // The window's exporter components, bound to memo1.
  exporter::TMorvat3ASCII& CsvExporter() { return csv_; }
  exporter::xls::TMorvat3XLS& XlsExporter() { return xls_; }
  exporter::xlsx::TMorvat3XLSX& XlsxExporter() { return xlsx_; }
  exporter::pdf::TMorvat3PDF& PdfExporter() { return pdf_; }

 private:
  // Asks for the file name with the command's filters ("Name (*.ext)", several joined by
  // ";;", the first the default) and default suffix; empty when there is nothing to export or
  // the dialog was cancelled.
  QString AskFileName(const QString& filters, const QString& suffix);
  // Runs the exporter into the file; an error goes to a message box.
  void RunExporter(exporter::TMorvat3Text& exporter, const QString& fileName);
  // Asks for the file name with the command's filter and suffix, then runs the exporter.
  void Run(exporter::TMorvat3Text& exporter, const QString& filterName, const QString& suffix);

  TForm1& window_;
  MemberTreeExportSource memo1Source_;
  exporter::TMorvat3ASCII csv_;
  exporter::xls::TMorvat3XLS xls_;
  exporter::xlsx::TMorvat3XLSX xlsx_;
  exporter::pdf::TMorvat3PDF pdf_;
};

}  // namespace vorlix::app
