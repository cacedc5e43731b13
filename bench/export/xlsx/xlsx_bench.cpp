// Workbook (.xlsx) export speed: a member-table-like list of 100,000 rows x 5 columns written
// with the window's settings (see ../writer_bench.h for "--write FILE ROWS").

#include "../generated_list.h"
#include "../writer_bench.h"
#include "app/core/exporter_settings.h"
#include "export/xlsx/morvat3_xlsx.h"

namespace {

using namespace vorlix::exporter;

void WriteWorkbook(const std::string& file, int rows) {
  bench::GeneratedList list(rows);
  xlsx::TMorvat3XLSX exporter;
  vorlix::core::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  exporter.FileName = file;
  exporter.Execute();
}

void BM_XlsxWrite(benchmark::State& state) {
  bench::WriteBench(state, WriteWorkbook, "vorlix-xlsx-bench.xlsx");
}
BENCHMARK(BM_XlsxWrite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::WriterBenchMain(argc, argv, WriteWorkbook);
}
