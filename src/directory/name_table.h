#pragma once
// Names held once each and known by a small number: the attribute and class names of a tree,
// so that each of its many entries keeps a number instead of a copy.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vorlix::directory {

class NameTable {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  // The number of name, which is added when it is new.
  uint32_t Intern(std::string_view name) {
    if (auto known = ids_.find(name); known != ids_.end()) return known->second;
    const auto id = static_cast<uint32_t>(names_.size());
    ids_.emplace(names_.emplace_back(name), id);  // a deque never moves what it holds
    return id;
  }
  // The number of name; kNone when the table does not hold it.
  uint32_t Find(std::string_view name) const {
    auto it = ids_.find(name);
    return it == ids_.end() ? kNone : it->second;
  }
  const std::string& operator[](uint32_t id) const { return names_[id]; }
  size_t size() const { return names_.size(); }

 private:
  std::deque<std::string> names_;
  std::unordered_map<std::string_view, uint32_t> ids_;
};

}  // namespace vorlix::directory
