#pragma once
// The member table in memory, as the window builds it, for the exporters' tests and
// benchmarks.

#include <string>
#include <vector>

#include "app/core/member_columns.h"
#include "support/memory_sources.h"

namespace vorlix::exporter::testing {

// The captions the window gives the member table: "User", "Phone" and three blank ones.
inline const std::vector<std::string> kWindowCaptions = {"User", "Phone", " ", " ", " "};

// The member table's five columns as a group lookup lays them out (the window's widths),
// headers "User", "Phone" and three empty ones.
inline void AddMemberColumns(MemoryListView& list,
                             std::vector<std::string> captions = {"User", "Phone", "", "", ""}) {
  for (size_t i = 0; i < core::kMemberColumnWidths.size(); ++i)
    list.AddColumn(captions[i], core::kMemberColumnWidths[i]);
}

// Adds a member row the way the member table builds it: the first-column text and four cells.
inline void AddMemberRow(MemoryListView& list, const std::string& name, const std::string& cell1,
                         const std::string& cell2 = "", const std::string& cell3 = "",
                         const std::string& cell4 = "") {
  list.AddItem(name, {cell1, cell2, cell3, cell4});
}

// A member table as the window builds it, every cell present: `rows` members of which every
// third has no phone.
inline void FillMemberTable(MemoryListView& list, int rows) {
  AddMemberColumns(list, kWindowCaptions);
  for (int i = 0; i < rows; ++i)
    AddMemberRow(list, "user" + std::to_string(i) + ".sales.acme",
                 i % 3 == 0 ? "" : "+31 20 555 " + std::to_string(1000 + i));
}

// The cells a spreadsheet reader finds for such a table: the captions, then name and phone.
inline std::vector<std::vector<std::string>> MemberTableCells(const MemoryListView& list) {
  std::vector<std::vector<std::string>> cells{kWindowCaptions};
  for (int i = 0; i < list.ItemCount(); ++i)
    cells.push_back({list.ItemCaption(i), list.SubItem(i, 0)});
  return cells;
}

// A member table of any length as a workstation group's lookup fills it, every cell set: for
// the benchmarks.
inline void FillWorkstationTable(MemoryListView& list, int rows) {
  AddMemberColumns(list, {"Workstation", "User", "Registered", "Address", "Phone"});
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    AddMemberRow(list, "WS-" + n + ".Workstations.Sales.Acme", "user" + n,
                 "2026-12-07 08:" + std::to_string(10 + i % 50), "10.1." + n, "+1 555 " + n);
  }
}

}  // namespace vorlix::exporter::testing
