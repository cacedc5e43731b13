#include "app/core/memo1_compare.h"

#include "platform/plain_text.h"

namespace vorlix::core {

int memo1Compare(const MemberRow& a, const MemberRow& b, int key) {
  if (key == 2) {
    if (a.rawTime == b.rawTime) return 0;
    return a.rawTime < b.rawTime ? -1 : 1;
  }
  return platform::CompareNoCase(a.ColumnText(key), b.ColumnText(key));
}

}  // namespace vorlix::core
