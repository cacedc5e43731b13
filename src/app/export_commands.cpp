#include "app/export_commands.h"

#include <exception>

#include "app/core/exporter_settings.h"
#include "app/core/mail.h"
#include "app/main_window.h"
#include "export/pdf/main_window_settings.h"
#include "export/xls/main_window_settings.h"

namespace vorlix::app {

ExportCommands::ExportCommands(TForm1& window) : window_(window), memo1Source_(*window.memo1()) {
  core::ConfigureAsMainWindowCsvExporter(csv_, &memo1Source_);
  exporter::xls::ConfigureAsMainWindowXlsExporter(xls_, &memo1Source_);
  exporter::pdf::ConfigureAsMainWindowPdfExporter(pdf_, &memo1Source_);
}

void ExportCommands::SaveToExcel() {
  Run(xls_, QStringLiteral("Excel"), QStringLiteral("xls"));
}
void ExportCommands::SaveToCsv() {
  Run(csv_, QStringLiteral("CSV"), QStringLiteral("csv"));
}
void ExportCommands::Print() {
  Run(pdf_, QStringLiteral("PDF"), QStringLiteral("pdf"));
}

void ExportCommands::Run(exporter::TMorvat3Text& exporter, const QString& filterName,
                         const QString& suffix) {
  if (window_.memo1()->RowCount() == 0) return;
  SaveFileRequest request;
  request.title = QStringLiteral("Select/give filename");
  request.filter = QStringLiteral("%1 (*.%2)").arg(filterName, suffix);
  request.defaultSuffix = suffix;
  request.defaultFileName =
      QString::fromStdString(core::ShortName(window_.edit1()->text().toStdString()));
  const QString fileName = window_.Seams().askSaveFileName(&window_, request);
  if (fileName.isEmpty()) return;
  exporter.FileName = fileName.toStdString();
  try {
    exporter.Execute();
  } catch (const std::exception& error) {
    window_.ShowMessage(error.what());
  }
}

}  // namespace vorlix::app
