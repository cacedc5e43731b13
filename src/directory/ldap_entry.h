#pragma once
// An entry as a search brings it from an LDAP server.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlix::directory {

// The part of an attribute's values that a reply holds ("member;range=0-1499"): the index of the
// first and of the last; no last ("*") when the part runs to the end.
struct ValueRange {
  uint32_t first = 0;
  std::optional<uint32_t> last;
};

struct LdapAttribute {
  std::string name;  // as the server named it, options ("cn;lang-en") dropped
  std::string key;   // the name lower-cased
  std::vector<std::string> values;
  // Set while only a part of the values has come (ranged_values.h); a collected search result
  // holds every value.
  std::optional<ValueRange> range;
};

struct LdapEntry {
  std::string dn;
  std::vector<LdapAttribute> attributes;
  const LdapAttribute* Find(const std::string& lowerName) const;
};

}  // namespace vorlix::directory
