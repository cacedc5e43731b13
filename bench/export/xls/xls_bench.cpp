// Spreadsheet export speed: a member-table-like list of 65,000 rows x 5 columns written as a
// workbook (see ../writer_bench.h for "--write FILE ROWS").

#include "../generated_list.h"
#include "../writer_bench.h"
#include "app/core/exporter_settings.h"
#include "export/xls/morvat3_xls.h"

namespace {

using namespace vorlix::exporter;

void WriteWorkbook(const std::string& file, int rows) {
  bench::GeneratedList list(rows);
  xls::TMorvat3XLS exporter;
  vorlix::core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.FileName = file;
  exporter.Execute();
}

void BM_XlsWrite(benchmark::State& state) {
  bench::WriteBench(state, WriteWorkbook, "vorlix-xls-bench.xls");
}
BENCHMARK(BM_XlsWrite)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::WriterBenchMain(argc, argv, WriteWorkbook);
}
