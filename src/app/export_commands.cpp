#include "app/export_commands.h"

#include <exception>

#include "app/core/exporter_settings.h"
#include "app/core/input_files.h"
#include "app/core/mail.h"
#include "app/export_progress.h"
#include "app/main_window.h"

namespace vorlix::app {

namespace {

// One message for what the replaced file could not keep.
std::string SaveWarningText(const exporter::TMorvat3Text& exporter) {
  std::string text = "\"" + exporter.FileName + "\" was saved, but the file it replaced:";
  for (const std::string& warning : exporter.SaveWarnings) text += "\n- " + warning;
  return text;
}

}  // namespace

ExportCommands::ExportCommands(TForm1& window) : window_(window), memo1Source_(*window.memo1()) {
  core::ConfigureAsMainWindowCsvExporter(csv_, &memo1Source_);
  core::ConfigureAsMainWindowXlsExporter(xls_, &memo1Source_);
  core::ConfigureAsMainWindowXlsxExporter(xlsx_, &memo1Source_);
  core::ConfigureAsMainWindowPdfExporter(pdf_, &memo1Source_);
}

void ExportCommands::SaveToExcel() {
  const QString fileName =
      AskFileName(QStringLiteral("Excel (*.xls);;Excel workbook (*.xlsx)"), QStringLiteral("xls"));
  if (fileName.isEmpty()) return;
  const bool workbook = fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
  RunExporter(workbook ? static_cast<exporter::TMorvat3Text&>(xlsx_) : xls_, fileName);
}
void ExportCommands::SaveToCsv() {
  Run(csv_, QStringLiteral("CSV"), QStringLiteral("csv"));
}
void ExportCommands::Print() {
  Run(pdf_, QStringLiteral("PDF"), QStringLiteral("pdf"));
}

QString ExportCommands::AskFileName(const QString& filters, const QString& suffix) {
  if (window_.memo1()->RowCount() == 0) return QString();
  SaveFileRequest request;
  request.title = QStringLiteral("Select/give filename");
  request.filter = filters;
  request.defaultSuffix = suffix;
  request.defaultFileName =
      QString::fromStdString(core::ShortName(window_.edit1()->text().toStdString()));
  return window_.Seams().askSaveFileName(&window_, request);
}

void ExportCommands::RunExporter(exporter::TMorvat3Text& exporter, const QString& fileName) {
  if (const std::optional<std::string> refusal =
          core::ExportOverInputRefusal(fileName.toStdString(), window_.State().InputFiles)) {
    window_.ShowMessage(*refusal);
    return;
  }
  exporter.FileName = fileName.toStdString();
  try {
    // A cancelled run ends quietly: it leaves no file, and a file that was there stays.
    {
      ExportProgress progress(window_, exporter, fileName, window_.memo1()->RowCount(),
                              window_.Seams().clock, [this] { return window_.StopRequested(); });
      exporter.Execute();
    }
    if (!exporter.SaveWarnings.empty()) window_.ShowMessage(SaveWarningText(exporter));
  } catch (const std::exception& error) {
    window_.ShowMessage(error.what());
  }
}

void ExportCommands::Run(exporter::TMorvat3Text& exporter, const QString& filterName,
                         const QString& suffix) {
  const QString fileName = AskFileName(QStringLiteral("%1 (*.%2)").arg(filterName, suffix), suffix);
  if (!fileName.isEmpty()) RunExporter(exporter, fileName);
}

}  // namespace vorlix::app
