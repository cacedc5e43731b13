// Spreadsheet export speed: a member-table-like list of 65,000 rows x 5 columns written as a
// workbook. "xls_bench --write FILE ROWS" writes one file and prints the seconds it took (the
// comparison script runs it in a process of its own to read its peak memory); without
// arguments the Google Benchmark cases run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "../generated_list.h"
#include "export/xls/main_window_settings.h"
#include "export/xls/morvat3_xls.h"

namespace {

using namespace vorlix::exporter;

using bench::GeneratedList;

void WriteWorkbook(const std::string& file, int rows) {
  GeneratedList list(rows);
  xls::TMorvat3XLS exporter;
  xls::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.FileName = file;
  exporter.Execute();
}

void BM_XlsWrite(benchmark::State& state) {
  const std::string file =
      (std::filesystem::temp_directory_path() / "vorlix-xls-bench.xls").string();
  for (auto _ : state) WriteWorkbook(file, static_cast<int>(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["FileBytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}
BENCHMARK(BM_XlsWrite)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

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
