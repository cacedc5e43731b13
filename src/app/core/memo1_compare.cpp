#include "app/core/memo1_compare.h"

#include <algorithm>

namespace vorlix::core {

namespace {

unsigned char LowerAscii(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

}  // namespace

int CompareLowerAscii(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char x = LowerAscii(a[i]);
    const unsigned char y = LowerAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int memo1Compare(const MemberRow& a, const MemberRow& b, int key) {
  if (key == 2) {
    if (a.rawTime == b.rawTime) return 0;
    return a.rawTime < b.rawTime ? -1 : 1;
  }
  return CompareLowerAscii(a.ColumnText(key), b.ColumnText(key));
}

}  // namespace vorlix::core
