#pragma once
// The comparison every sort of the member table uses.

#include "app/core/member_row.h"

namespace vorlix::core {

// Compares two rows by sort key (column index 0 to 4); negative, 0 or positive.
// Keys 0, 1, 3, 4: the caption or cell 1, 3, 4, with only A-Z lowered, compared byte by byte as
// unsigned values, a prefix first. Key 2: the raw registration times as signed 32-bit numbers.
int memo1Compare(const MemberRow& a, const MemberRow& b, int key);

}  // namespace vorlix::core
