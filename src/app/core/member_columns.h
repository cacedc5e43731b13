#pragma once
// The member table's five columns: their widths in pixels, as the window lays them out and the
// exporters receive them. Header-only, so that the exporters' tests and benchmarks share them.

#include <array>

namespace vorlix::core {

inline constexpr int kMemberColumnCount = 5;
inline constexpr std::array<int, kMemberColumnCount> kMemberColumnWidths = {220, 170, 130, 90, 105};

}  // namespace vorlix::core
