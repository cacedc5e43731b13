#include "app/core/memo1_compare.h"

#include "platform/plain_text.h"

namespace vorlix::core {

int memo1Compare(const MemberRow& a, const MemberRow& b, SortKey key) {
  if (key == SortKey::Cell2) {
    if (a.rawTime == b.rawTime) return 0;
    return a.rawTime < b.rawTime ? -1 : 1;
  }
  const int column = ColumnOfSortKey(key);
  return platform::CompareNoCase(a.ColumnText(column), b.ColumnText(column));
}

}  // namespace vorlix::core
