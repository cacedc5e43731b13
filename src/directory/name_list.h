#pragma once
// Name list: an ordered list of texts in which every entry may carry one attached value
// (a number or a value object). Directory reads and searches return one; the caller owns it.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "directory/value_objects.h"

namespace vorlix::directory {

using Attached = std::variant<std::monostate, int64_t, TReplica, TNetAddress, TACL2>;

struct NameEntry {
  std::string text;
  Attached attached;
};

using NameList = std::vector<NameEntry>;

}  // namespace vorlix::directory
