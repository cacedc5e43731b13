#pragma once
// The frame of the spreadsheet writer benchmarks: a Google Benchmark case that writes a
// generated list of N rows to a file, and a main that either runs the cases or, as
// "PROGRAM --write FILE ROWS", writes one file and prints the seconds it took (the comparison
// scripts run it in a process of its own to read its peak memory).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace vorlix::exporter::bench {

using WriteFile = void (*)(const std::string& file, int rows);

inline void WriteBench(benchmark::State& state, WriteFile write, const std::string& name) {
  const std::string file = (std::filesystem::temp_directory_path() / name).string();
  for (auto _ : state) write(file, static_cast<int>(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["FileBytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}

inline int WriterBenchMain(int argc, char** argv, WriteFile write) {
  if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
    const auto start = std::chrono::steady_clock::now();
    write(argv[2], std::stoi(argv[3]));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.4f\n", took.count());
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace vorlix::exporter::bench
