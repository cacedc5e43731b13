#pragma once
// The objects of one kind that a client hands out handles for (contexts, buffers, filter cursors,
// iterations), found again by their handle. The handles come from one HandleCounter per client,
// so that no two objects of any kind share one.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace vorlix::directory {

class HandleCounter {
 public:
  int32_t Next() { return next_++; }

 private:
  int32_t next_ = 1;
};

template <typename T>
class HandleTable {
 public:
  // A new object under a new handle.
  T& Add(HandleCounter& counter, int32_t& handle) {
    handle = counter.Next();
    return items_[handle];
  }
  // A new object under a handle made by the caller.
  void Add(int32_t handle, T item) { items_.insert_or_assign(handle, std::move(item)); }

  // The object of a handle; nullptr when there is none.
  T* Find(int32_t handle) {
    auto it = items_.find(handle);
    return it == items_.end() ? nullptr : &it->second;
  }
  const T* Find(int32_t handle) const {
    auto it = items_.find(handle);
    return it == items_.end() ? nullptr : &it->second;
  }
  // False when there was no such handle.
  bool Erase(int32_t handle) { return items_.erase(handle) != 0; }
  template <typename Predicate>
  void EraseIf(Predicate drop) {
    std::erase_if(items_, [&](const auto& item) { return drop(item.second); });
  }
  void Clear() { items_.clear(); }
  size_t Size() const { return items_.size(); }

 private:
  std::unordered_map<int32_t, T> items_;
};

}  // namespace vorlix::directory
