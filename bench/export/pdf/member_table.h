#pragma once
// A member table of any length for the PDF benchmarks: five columns as the window lays them
// out for a workstation group, every cell filled.

#include <string>

#include "export/memory_sources.h"

namespace vorlix::exporter::pdf::bench {

inline TMemoryListView BenchMemberTable(int rows) {
  TMemoryListView table;
  table.AddColumn("Workstation", 220);
  table.AddColumn("User", 170);
  table.AddColumn("Registered", 130);
  table.AddColumn("Address", 90);
  table.AddColumn("Phone", 105);
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    table.AddItem(
        "WS-" + n + ".Workstations.Sales.Acme",
        {"user" + n, "2026-12-07 08:" + std::to_string(10 + i % 50), "10.1." + n, "+1 555 " + n});
  }
  return table;
}

}  // namespace vorlix::exporter::pdf::bench
