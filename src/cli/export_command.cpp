#include "cli/export_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>

#include "app/core/exporter_settings.h"
#include "app/core/held_listing_source.h"
#include "app/core/input_files.h"
#include "app/core/listing_export_source.h"
#include "app/core/progress_pace.h"
#include "cli/command_options.h"
#include "cli/lookup_command.h"
#include "directory/directory_layer.h"

namespace vorlix::cli {

namespace {

using ExporterFactory =
    std::function<std::unique_ptr<exporter::TMorvat3Text>(exporter::IMorvatListView&)>;

// How often an exporter reads the rows: once, in order, so that they go from the directory into
// the file as they are read; or twice, because the columns' widths are measured over all rows
// first, so that the table is held.
enum class RowPasses { kOne, kTwo };

struct ExportFormat {
  std::string name;
  RowPasses passes;
  ExporterFactory make;
};

// A text format: the window's CSV exporter with another export type.
ExporterFactory TextExporter(exporter::TMorvatASCIIType type) {
  return [type](exporter::IMorvatListView& table) {
    auto text = std::make_unique<exporter::TMorvat3ASCII>();
    core::ConfigureAsMainWindowCsvExporter(*text, &table);
    text->SetExportType(type);
    return text;
  };
}

// Every export format, set up as the main window sets up its exporters. A new format is one line.
const std::vector<ExportFormat>& ExportFormats() {
  static const std::vector<ExportFormat> formats = {
      {"csv", RowPasses::kOne, TextExporter(exporter::etCSV)},
      {"xls", RowPasses::kOne,
       [](exporter::IMorvatListView& table) {
         auto xls = std::make_unique<exporter::xls::TMorvat3XLS>();
         core::ConfigureAsMainWindowXlsExporter(*xls, &table);
         return xls;
       }},
      {"xlsx", RowPasses::kOne,
       [](exporter::IMorvatListView& table) {
         auto xlsx = std::make_unique<exporter::xlsx::TMorvat3XLSX>();
         core::ConfigureAsMainWindowXlsxExporter(*xlsx, &table);
         return xlsx;
       }},
      {"pdf", RowPasses::kOne,
       [](exporter::IMorvatListView& table) {
         auto pdf = std::make_unique<exporter::pdf::TMorvat3PDF>();
         core::ConfigureAsMainWindowPdfExporter(*pdf, &table);
         return pdf;
       }},
      {"txt", RowPasses::kTwo, TextExporter(exporter::etTXT)},
      {"dif", RowPasses::kOne, TextExporter(exporter::etDIF)},
      {"sylk", RowPasses::kOne, TextExporter(exporter::etSYLK)},
  };
  return formats;
}

std::vector<std::string> ExportFormatNames() {
  std::vector<std::string> names;
  for (const ExportFormat& format : ExportFormats()) names.push_back(format.name);
  return names;
}

const ExportFormat& ExportFormatOf(const std::string& name) {
  for (const ExportFormat& format : ExportFormats()) {
    if (format.name == name) return format;
  }
  throw UsageError("unknown export format \"" + name + "\"");
}

// "--output -" stands for standard output.
constexpr char kStandardOutput[] = "-";
constexpr char kStandardOutputPath[] = "/dev/stdout";

// An export is a file: on a terminal it would be unreadable, and directory values would reach the
// terminal raw. Anything else is written through the descriptor as a stream, so output appended
// (">>") or following earlier output lands after it.
void CheckStandardOutput() {
  if (::isatty(STDOUT_FILENO)) {
    throw UsageError("--output -: standard output is a terminal; redirect it to a file or a pipe");
  }
}

// Puts the rows written so far on the progress line, at most ten times a second, then how far
// the finishing of the file got. The line turns to the finishing at once, so that it does not
// rest on the last count of rows while the file is compressed.
void ShowProgress(exporter::TMorvat3& exporter, size_t total, ProgressLine& progress,
                  const core::SteadyClock& clock) {
  if (!progress.shown()) return;
  auto pace = std::make_shared<core::ProgressPace>(clock);
  exporter.OnExportedRecord = [&progress, total, pace, written = size_t{0}](exporter::TMorvat3&,
                                                                            int) mutable {
    ++written;
    if (pace->Due()) progress.Show(ProgressText(written, total, "rows written"));
  };
  exporter.OnFinishing = [&progress, pace, started = false](exporter::TMorvat3&, uint64_t done,
                                                            uint64_t total) mutable {
    if (!std::exchange(started, true) || pace->Due()) progress.Show(FinishingText(done, total));
  };
}

struct ExportArguments {
  LookupArguments lookup;
  std::string format;
  std::string output;
};

int RunExport(CliContext& context, const ExportArguments& arguments) {
  const ExportFormat& format = ExportFormatOf(arguments.format);
  const bool toStandardOutput = arguments.output == kStandardOutput;
  if (toStandardOutput) CheckStandardOutput();
  // The tree or the configuration is never written over, not even through standard output.
  const std::string target = toStandardOutput ? kStandardOutputPath : arguments.output;
  if (const std::optional<std::string> refusal = core::ExportOverInputRefusal(
          target, core::InputFilesOf(context.options.configurationPath, context.options.source))) {
    context.messages.Error(*refusal);
    return kExitExportError;
  }
  core::AppState state = StateFor(context);
  CliLookup lookup;
  if (const int code = OpenCliLookup(state, arguments.lookup, lookup, context); code != kExitDone) {
    return code;
  }

  // An exporter that reads the rows once gets them as they are read: the table is never held
  // whole. One that reads them twice gets the table, read first.
  core::ListingExportSource streamed(*lookup.listing);
  core::HeldListingSource held(lookup.listing->Head().captions);
  exporter::IMorvatListView& table =
      format.passes == RowPasses::kOne ? static_cast<exporter::IMorvatListView&>(streamed) : held;
  if (format.passes == RowPasses::kTwo) {
    const int code =
        ReadCliRows(lookup, context, [&held](const core::MemberRow& row) { held.AddRow(row); });
    if (code != kExitDone) return code;
  }
  try {
    auto exporter = format.make(table);
    exporter->FileName = target;
    ShowProgress(*exporter, static_cast<size_t>(table.ItemCount()), context.progress,
                 context.clock);
    context.out.flush();  // the exporter writes to the descriptor itself
    exporter->Execute();
    context.progress.Clear();
    for (const std::string& warning : exporter->SaveWarnings)
      context.messages.Warning(arguments.output + ": " + warning);
  } catch (const directory::DirectoryError& error) {
    return TellDirectoryError(error.what(), context);
  } catch (const directory::DirectoryArgumentError& error) {
    return TellDirectoryError(error.what(), context);
  } catch (const std::exception& e) {
    context.progress.Clear();
    context.messages.Error((toStandardOutput ? "--output - (standard output): " : "") +
                           std::string(e.what()));
    return kExitExportError;
  }
  return TellUnreadable(lookup, context);
}

}  // namespace

CommandRun DeclareExport(CLI::App& command) {
  auto arguments = std::make_shared<ExportArguments>();
  AddLookupArguments(command, arguments->lookup);
  AddChoiceOption(command, "--format", arguments->format, ExportFormatNames(),
                  "the file format, written with the main window's settings", Presence::kRequired);
  command.add_option("--output", arguments->output, "the file to write; - for standard output")
      ->type_name("FILE")
      ->required();
  return [arguments](CliContext& context) { return RunExport(context, *arguments); };
}

}  // namespace vorlix::cli
