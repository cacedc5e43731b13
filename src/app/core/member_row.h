#pragma once
// One row of the member table: the member's full name (first column), its tick box, four further
// cell texts and the raw registration time that the second cell carries.

#include <array>
#include <cstdint>
#include <string>

namespace vorlix::core {

// What stands in a cell whose value could not be read (a member that does not exist, a value that
// does not fit its syntax or its reply).
inline constexpr char kUnreadableMarker[] = "(unreadable)";

struct MemberRow {
  std::string caption;  // first-column text: the member's full name
  bool checked = true;  // rows are ticked when added
  // cells[i - 1] is "cell i" (shown in column i + 1): for a workstation row cell 1 is the
  // registered user, cell 2 the last login time, cell 3 the IP address, cell 4 the phone.
  std::array<std::string, 4> cells;
  int32_t rawTime = 0;  // seconds since 1970 behind cell 2; 0 for group rows
  // Bit i - 1 set: cell i could not be read and holds kUnreadableMarker instead of a value.
  uint8_t unreadableCells = 0;

  bool CellUnreadable(int cell) const { return ((unreadableCells >> (cell - 1)) & 1) != 0; }

  // Text of column 0 (caption) to 4 (cell 4).
  const std::string& ColumnText(int column) const {
    return column <= 0 ? caption : cells[static_cast<size_t>(column > 4 ? 3 : column - 1)];
  }
};

}  // namespace vorlix::core
