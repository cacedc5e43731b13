// Throughput of the PDF exporter over member tables of growing length, into a stream that
// only counts bytes, and of the text measurement the layout uses.

#include <benchmark/benchmark.h>

#include "../counting_stream.h"
#include "app/core/exporter_settings.h"
#include "export/pdf/pdf_widths.h"
#include "support/member_table.h"

namespace vorlix::exporter::pdf {
namespace {

using exporter::bench::CountingStream;

void BM_PdfExportMemberTable(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  MemoryListView table;
  vorlix::exporter::testing::FillWorkstationTable(table, rows);
  TMorvat3PDF exporter;
  core::ConfigureAsMainWindowPdfExporter(exporter, &table);
  uint64_t bytes = 0;
  for (auto _ : state) {
    CountingStream stream;
    exporter.ExportToStream(stream);
    bytes = stream.Position();
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PdfExportMemberTable)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_PdfMeasureText(benchmark::State& state) {
  const std::string text = "WS-12345.Workstations.Sales.Acme";
  for (auto _ : state) benchmark::DoNotOptimize(MeasureText(text, 10));
}
BENCHMARK(BM_PdfMeasureText);

}  // namespace
}  // namespace vorlix::exporter::pdf

BENCHMARK_MAIN();
