// One PDF export of a member table of ROWS rows into FILE, for compare_reportlab.py.
// Prints one JSON object: rows, wall and CPU seconds of the export, the resident memory in
// KiB once the table is built, and the peak resident memory during the export.

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

#include "app/core/exporter_settings.h"
#include "support/member_table.h"

namespace {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"), -1 when it cannot be read.
long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  }
  return -1;
}

// Starts the peak (VmHWM) afresh from the current resident size, so that building the
// table does not hide what the export needs.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vorlix::exporter;
  using namespace vorlix::exporter::pdf;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s ROWS FILE\n", argv[0]);
    return 64;
  }
  const int rows = std::atoi(argv[1]);
  try {
    MemoryListView table;
    vorlix::exporter::testing::FillWorkstationTable(table, rows);
    TMorvat3PDF exporter;
    vorlix::core::ConfigureAsMainWindowPdfExporter(exporter, &table);
    exporter.FileName = argv[2];
    ResetPeak();
    const long tableKiB = StatusKiB("VmRSS");
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    exporter.Execute();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double cpu = CpuSeconds() - cpuStart;
    std::printf(
        "{\"rows\": %d, \"seconds\": %.4f, \"cpu_seconds\": %.4f, \"table_kib\": %ld, "
        "\"peak_kib\": %ld}\n",
        rows, seconds.count(), cpu, tableKiB, StatusKiB("VmHWM"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 4;
  }
  return 0;
}
