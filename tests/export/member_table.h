#pragma once
// The member table of a group lookup in memory, as the window builds it, for the exporters'
// tests.

#include <string>
#include <vector>

#include "export/memory_sources.h"

namespace vorlix::exporter::testing {

// The captions the window gives the member table: "User", "Phone" and three blank ones.
inline const std::vector<std::string> kWindowCaptions = {"User", "Phone", " ", " ", " "};

// The member table's five columns as a group lookup lays them out (pixel widths 220, 170,
// 130, 90, 105), headers "User", "Phone" and three empty ones.
inline void AddMemberColumns(TMemoryListView& list,
                             std::vector<std::string> captions = {"User", "Phone", "", "", ""}) {
  const int widths[] = {220, 170, 130, 90, 105};
  for (int i = 0; i < 5; ++i) list.AddColumn(captions[i], widths[i]);
}

// Adds a member row the way the member table builds it: the first-column text and four cells.
inline void AddMemberRow(TMemoryListView& list, const std::string& name, const std::string& cell1,
                         const std::string& cell2 = "", const std::string& cell3 = "",
                         const std::string& cell4 = "") {
  list.AddItem(name, {cell1, cell2, cell3, cell4});
}

}  // namespace vorlix::exporter::testing
