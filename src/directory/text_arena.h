#pragma once
// Texts copied into large blocks that never move: many small strings for a few allocations, each
// handed out as a view that lives as long as the arena.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace vorlix::directory {

class TextArena {
 public:
  std::string_view Copy(std::string_view text) {
    if (text.empty()) return {};
    char* place = Allocate(text.size());
    std::memcpy(place, text.data(), text.size());
    return {place, text.size()};
  }

  // Room for size bytes (more than none), for the caller to fill.
  char* Allocate(size_t size) {
    if (size > kBlock / 4) {  // a large text gets a block of its own; the current one goes on
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
      return blocks_.back().get();
    }
    if (size > left_) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlock));
      free_ = blocks_.back().get();
      left_ = kBlock;
    }
    char* place = free_;
    free_ += size;
    left_ -= size;
    return place;
  }

 private:
  static constexpr size_t kBlock = 64 * 1024;

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t left_ = 0;
};

}  // namespace vorlix::directory
