#include "directory/name_sort.h"

#include <algorithm>
#include <cstring>

#include "platform/case_fold.h"

namespace vorlix::directory {

using platform::FoldCase;

namespace {

// Sorts items by the key that keyOf gives, case-folding each key once.
template <typename T, typename KeyOf>
void SortByName(std::vector<T>& items, KeyOf keyOf) {
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) keys.emplace_back(FoldCase(keyOf(items[i])), i);
  std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    int order = std::strcoll(a.first.c_str(), b.first.c_str());
    if (order != 0) return order < 0;
    const std::string& x = keyOf(items[a.second]);
    const std::string& y = keyOf(items[b.second]);
    if (x != y) return x < y;
    return a.second < b.second;
  });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (auto& key : keys) sorted.push_back(std::move(items[key.second]));
  items = std::move(sorted);
}

}  // namespace

void SortNames(std::vector<std::string>& names) {
  SortByName(names, [](const std::string& s) -> const std::string& { return s; });
}

void SortNames(NameList& names) {
  SortByName(names, [](const NameEntry& e) -> const std::string& { return e.text; });
}

}  // namespace vorlix::directory
