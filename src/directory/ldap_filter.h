#pragma once
// Values and attribute names in LDAP search filters (RFC 4515).

#include <string>
#include <string_view>

namespace vorlix::directory {

// A filter value with every character that the filter syntax gives a meaning escaped as "\XX"
// ("(", ")", "\", NUL, "*", and every byte outside printable ASCII), but for "*" where wildcards
// are kept: then it stays a wildcard, and a run of them counts as one.
enum class Wildcards { kEscaped, kKept };
std::string EscapeFilterValue(std::string_view value, Wildcards wildcards);

// Whether a name may stand as an attribute description in a filter (letters, digits, "-", ";",
// "."): anything else could change the filter's meaning.
bool IsAttributeDescription(std::string_view name);

}  // namespace vorlix::directory
