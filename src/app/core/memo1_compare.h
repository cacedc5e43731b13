#pragma once
// The comparison every sort of the member table uses.

#include "app/core/member_columns.h"
#include "app/core/member_row.h"

namespace vorlix::core {

// Compares two rows by sort key; negative, 0 or positive. Keys Name, Cell1, Cell3, Cell4: the
// caption or cell 1, 3, 4, with only A-Z lowered, compared byte by byte as unsigned values, a
// prefix first. Key Cell2: the raw registration times as signed 32-bit numbers.
int memo1Compare(const MemberRow& a, const MemberRow& b, SortKey key);

}  // namespace vorlix::core
