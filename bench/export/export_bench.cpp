// Throughput and memory of the text exporter: a five-column member-like list view exported
// to CSV and to fixed-width text. The output goes to a sink that only counts bytes, so that
// memory figures show the engine and the source table alone.
//
// Counters: items_per_second (rows per second), OutputBytes, TableKB (resident growth while the
// list was built), ExportGrowthKB (peak resident size during the export above the size before
// it; it must stay flat when the row count grows). Run one size per process for clean peaks:
// bench/export/export_memory.sh does that.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "counting_stream.h"
#include "export/morvat3_ascii.h"
#include "support/member_table.h"
#include "support/memory_sources.h"

namespace {

using namespace vorlix::exporter;
using bench::CountingStream;

long ResidentKB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void Export(benchmark::State& state, TMorvatASCIIType type) {
  const int rows = static_cast<int>(state.range(0));
  long before = ResidentKB();
  MemoryListView list;
  testing::FillWorkstationTable(list, rows);
  long tableKB = ResidentKB() - before;
  TMorvat3ASCII exporter;
  exporter.ExportSource = esListView;
  exporter.ListView = &list;
  exporter.SetExportType(type);
  exporter.CSVComma = ';';
  long beforeExport = ResidentKB();
  uint64_t bytes = 0;
  for (auto _ : state) {
    CountingStream sink;
    exporter.ExportToStream(sink);
    bytes = sink.Position();
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.counters["OutputBytes"] = static_cast<double>(bytes);
  state.counters["TableKB"] = static_cast<double>(tableKB);
  state.counters["ExportGrowthKB"] = static_cast<double>(std::max(0L, PeakKB() - beforeExport));
}

void BM_ExportCsv(benchmark::State& state) {
  Export(state, etCSV);
}
void BM_ExportTxt(benchmark::State& state) {
  Export(state, etTXT);
}

// The same CSV export into a real file, through the buffered file stream.
void BM_ExportCsvFile(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  MemoryListView list;
  testing::FillWorkstationTable(list, rows);
  TMorvat3ASCII exporter;
  exporter.ExportSource = esListView;
  exporter.ListView = &list;
  exporter.SetExportType(etCSV);
  std::string path = "/tmp/vorlix-export-bench-" + std::to_string(getpid()) + ".csv";
  for (auto _ : state) {
    MorvatFileStream file(path);
    exporter.ExportToStream(file);
    file.Close();
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(BM_ExportCsv)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsvFile)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTxt)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
