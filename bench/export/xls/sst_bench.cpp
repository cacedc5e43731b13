// The shared string table's lookup: adding the texts of a member table's cells, where names
// are unique and the other columns repeat a few values, and a table of unique texts only.
// Counter: items_per_second (texts added per second).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "export/xls/sst.h"

namespace {

using vorlix::exporter::xls::TsstStrings;

std::u16string Text(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// Five cells per row: a unique name, a unique phone, one of 12 dates, one of 50 addresses,
// one of 4 departments.
std::vector<std::u16string> MemberCells(int rows) {
  std::vector<std::u16string> cells;
  cells.reserve(static_cast<size_t>(rows) * 5);
  const char* departments[] = {"Sales", "Support", "Development", "Administration"};
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    cells.push_back(Text("member" + n + ".Users.Sales.Acme"));
    cells.push_back(Text("+31 20 555 " + n));
    cells.push_back(Text("2026-" + std::to_string(1 + i % 12) + "-07"));
    cells.push_back(Text("10.1." + std::to_string(i % 50) + ".1"));
    cells.push_back(Text(departments[i % 4]));
  }
  return cells;
}

void AddAll(benchmark::State& state, const std::vector<std::u16string>& cells) {
  for (auto _ : state) {
    TsstStrings table;
    for (const std::u16string& cell : cells) benchmark::DoNotOptimize(table.AddString(cell));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cells.size()));
}

void BM_SstMemberTable(benchmark::State& state) {
  AddAll(state, MemberCells(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_SstMemberTable)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

void BM_SstUniqueTexts(benchmark::State& state) {
  std::vector<std::u16string> cells;
  for (int i = 0; i < state.range(0); ++i)
    cells.push_back(Text("workstation-" + std::to_string(i * 7919) + ".Workstations.Acme"));
  AddAll(state, cells);
}
BENCHMARK(BM_SstUniqueTexts)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
