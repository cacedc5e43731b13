#pragma once
// The member table's five columns: their widths in pixels, as the window lays them out and the
// exporters receive them. Header-only, so that the exporters' tests and benchmarks share them.

#include <array>
#include <optional>

namespace vorlix::core {

inline constexpr int kMemberColumnCount = 5;
inline constexpr std::array<int, kMemberColumnCount> kMemberColumnWidths = {220, 170, 130, 90, 105};

// The keys the member table sorts by, one per column: the first column (the member's name), then
// cell 1 to 4. Cell 2 sorts by the raw registration time behind its text.
enum class SortKey { Name, Cell1, Cell2, Cell3, Cell4 };

// The key of column `column` (0 to 4); nullopt for any other column.
constexpr std::optional<SortKey> SortKeyOfColumn(int column) {
  if (column < 0 || column >= kMemberColumnCount) return std::nullopt;
  return static_cast<SortKey>(column);
}

// The column that `key` sorts by.
constexpr int ColumnOfSortKey(SortKey key) {
  return static_cast<int>(key);
}

}  // namespace vorlix::core
