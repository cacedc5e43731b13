#include "cli/export_command.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "app/core/exporter_settings.h"
#include "app/core/member_list_view.h"
#include "cli/lookup_command.h"
#include "export/morvat3_ascii.h"
#include "export/pdf/main_window_settings.h"
#include "export/pdf/morvat3_pdf.h"
#include "export/xls/main_window_settings.h"
#include "export/xls/morvat3_xls.h"
#include "export/xlsx/main_window_settings.h"

namespace vorlix::cli {

namespace {

struct ExportArguments {
  std::string format;
  std::string output;
};

// Reads --format and --output from the arguments the lookup left over.
bool ParseExportArguments(const std::vector<std::string>& rest, ExportArguments& parsed,
                          std::string& error) {
  for (size_t i = 0; i + 1 < rest.size(); i += 2) {
    (rest[i] == "--format" ? parsed.format : parsed.output) = rest[i + 1];
  }
  static const std::vector<std::string> kFormats = {"csv", "xls", "xlsx", "pdf",
                                                    "txt", "dif", "sylk"};
  if (parsed.format.empty()) {
    error = "--format csv|xls|xlsx|pdf|txt|dif|sylk is missing";
  } else if (std::find(kFormats.begin(), kFormats.end(), parsed.format) == kFormats.end()) {
    error = "--format must be csv, xls, xlsx, pdf, txt, dif or sylk, not \"" + parsed.format + "\"";
  } else if (parsed.output.empty()) {
    error = "--output FILE is missing";
  }
  return error.empty();
}

// The exporter of a format, set up as the main window sets up its exporters. The text formats
// other than CSV use the window's CSV exporter with another export type.
std::unique_ptr<exporter::TMorvat3Text> MakeExporter(const std::string& format,
                                                     exporter::IMorvatListView& table) {
  if (format == "xls") {
    auto xls = std::make_unique<exporter::xls::TMorvat3XLS>();
    exporter::xls::ConfigureAsMainWindowXlsExporter(*xls, &table);
    return xls;
  }
  if (format == "xlsx") {
    auto xlsx = std::make_unique<exporter::xlsx::TMorvat3XLSX>();
    exporter::xlsx::ConfigureAsMainWindowXlsxExporter(*xlsx, &table);
    return xlsx;
  }
  if (format == "pdf") {
    auto pdf = std::make_unique<exporter::pdf::TMorvat3PDF>();
    exporter::pdf::ConfigureAsMainWindowPdfExporter(*pdf, &table);
    return pdf;
  }
  auto text = std::make_unique<exporter::TMorvat3ASCII>();
  core::ConfigureAsMainWindowCsvExporter(*text, &table);
  if (format == "txt") text->SetExportType(exporter::etTXT);
  if (format == "dif") text->SetExportType(exporter::etDIF);
  if (format == "sylk") text->SetExportType(exporter::etSYLK);
  return text;
}

}  // namespace

int RunExport(core::AppState& state, const std::vector<std::string>& args, std::ostream&,
              std::ostream& err) {
  std::string error;
  const auto arguments = ParseLookupArguments(args, {"--format", "--output"}, error);
  ExportArguments exportArguments;
  if (!arguments || !ParseExportArguments(arguments->rest, exportArguments, error)) {
    err << error << '\n';
    return kExitUsage;
  }
  CliLookup lookup;
  if (const int code = RunCliLookup(state, *arguments, lookup, err); code != kExitDone) return code;

  core::MemberListView table(lookup.table, lookup.captions);
  try {
    auto exporter = MakeExporter(exportArguments.format, table);
    exporter->FileName = exportArguments.output;
    exporter->Execute();
  } catch (const std::exception& e) {
    err << e.what() << '\n';
    return kExitExportError;
  }
  return kExitDone;
}

}  // namespace vorlix::cli
