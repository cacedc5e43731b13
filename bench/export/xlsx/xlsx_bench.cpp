// Workbook (.xlsx) export speed: a member-table-like list of 100,000 rows x 5 columns written
// with the window's settings. "xlsx_bench --write FILE ROWS" writes one file and prints the
// seconds it took (compare.py runs it in a process of its own to read its peak memory);
// without arguments the Google Benchmark cases run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "../generated_list.h"
#include "export/xlsx/main_window_settings.h"
#include "export/xlsx/morvat3_xlsx.h"

namespace {

using namespace vorlix::exporter;

using bench::GeneratedList;

void WriteWorkbook(const std::string& file, int rows) {
  GeneratedList list(rows);
  xlsx::TMorvat3XLSX exporter;
  xlsx::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  exporter.FileName = file;
  exporter.Execute();
}

void BM_XlsxWrite(benchmark::State& state) {
  const std::string file =
      (std::filesystem::temp_directory_path() / "vorlix-xlsx-bench.xlsx").string();
  for (auto _ : state) WriteWorkbook(file, static_cast<int>(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["FileBytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}
BENCHMARK(BM_XlsxWrite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
    const auto start = std::chrono::steady_clock::now();
    WriteWorkbook(argv[2], std::stoi(argv[3]));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.4f\n", took.count());
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
