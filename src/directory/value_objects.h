#pragma once
// Value objects that the list read attaches to its entries.

#include <array>
#include <cstdint>
#include <string>

namespace vorlix::directory {

// The seven words of a replica pointer value, as fetched.
struct TReplica {
  std::array<uint32_t, 7> words{};
};

// A network address: its type and up to 255 address bytes.
struct TNetAddress {
  std::string address;  // raw bytes
  uint32_t addressType = 0;
};

// One access control entry: protected attribute, subject, privileges.
struct TACL2 {
  std::string protectedAttrName;
  std::string subjectName;
  uint32_t privileges = 0;
};

}  // namespace vorlix::directory
