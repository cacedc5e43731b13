#pragma once
// A member table of any length for the PDF benchmarks: five columns as the window lays them
// out for a workstation group, every cell filled.

#include <string>

#include "app/core/member_columns.h"
#include "export/memory_sources.h"

namespace vorlix::exporter::pdf::bench {

inline TMemoryListView BenchMemberTable(int rows) {
  TMemoryListView table;
  const char* captions[] = {"Workstation", "User", "Registered", "Address", "Phone"};
  for (int i = 0; i < core::kMemberColumnCount; ++i)
    table.AddColumn(captions[i], core::kMemberColumnWidths[static_cast<size_t>(i)]);
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    table.AddItem(
        "WS-" + n + ".Workstations.Sales.Acme",
        {"user" + n, "2026-12-07 08:" + std::to_string(10 + i % 50), "10.1." + n, "+1 555 " + n});
  }
  return table;
}

}  // namespace vorlix::exporter::pdf::bench
