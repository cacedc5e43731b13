#pragma once
// Attribute values that a server hands out in parts. A server that limits the values of one
// attribute in one reply (Active Directory: 1,500) answers "member;range=0-1499" for the first
// part; the client asks for "member;range=1500-*" next, and so on until a part ends in "*"
// ("member;range=3000-*"). The parts are joined here, so that a read sees every value or fails.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ldap_connection.h"

namespace vorlix::directory {

// More values than a lookup can list: a server that keeps sending parts beyond this is refused.
inline constexpr size_t kMaxRangedValues = size_t{1} << 24;

// The range option of an attribute description ("member;range=0-1499", "member;Range=5-*");
// nullopt when it has none, or one that is no "first-last" or "first-*".
std::optional<ValueRange> RangeOption(std::string_view description);

// The description that asks for the values of attribute `name` from index `first` on.
std::string RangeRequest(const std::string& name, uint32_t first);

// Reads the attribute `description` of the entry dn alone into reply (the entry as it came, an
// empty one when the server sent none). False when the request failed; the caller knows why.
using RangeFetch =
    std::function<bool(const std::string& dn, const std::string& description, LdapEntry& reply)>;

enum class RangeOutcome {
  kComplete,      // every ranged attribute holds all its values
  kFetchFailed,   // a request failed (the fetch's own failure)
  kBrokenAnswer,  // the server's parts do not join up; `why` says how
};

// Fetches, part after part, every value that the ranged attributes of entries left at the server,
// and joins them to the values that came; the attributes are then no longer ranged.
RangeOutcome CompleteRangedValues(std::vector<LdapEntry>& entries, const RangeFetch& fetch,
                                  std::string& why);

}  // namespace vorlix::directory
