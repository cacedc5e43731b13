#pragma once
// Object names in their two spellings: LDAP distinguished names ("cn=jan.smith,ou=sales,o=acme")
// as the tree file holds them, and the dotted names the program sees, leftmost component first
// ("jan\.smith.sales.acme", or typed "cn=jan\.smith.ou=sales.o=acme"), a dot inside a component
// written "\.". A backslash is written "\\" where it would otherwise read as the start of one of
// these two (before a dot or a backslash, or at the end of a component that a dot follows); a
// backslash before any other character is read as itself.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::directory {

struct NameComponent {
  std::string type;   // attribute type of the component ("cn"); empty in typeless names
  std::string value;  // the value, unescaped
};

// Parses an LDAP distinguished name (RFC 4514 escapes, quoted values, "+" joined components kept
// whole). Nullopt with a reason in error for a malformed name. The empty name gives no components.
std::optional<std::vector<NameComponent>> ParseLdapDn(std::string_view dn, std::string* error);

// The dotted spelling of components; typed adds "type=" to each.
std::string DottedName(const std::vector<NameComponent>& components, bool typed);

// Splits a dotted name into component values ("\." read as a dot, "\\" as a backslash). With
// dropTypes a "type=" prefix of a component is dropped, so typed and typeless names are both
// accepted.
std::vector<std::string> SplitDottedName(std::string_view dotted, bool dropTypes = true);

// Joins the component values in a name key; no name holds it.
inline constexpr char kNameKeySeparator = '\x1f';

// The lookup key of a name: component values lower-cased and joined by a separator that no
// name holds.
std::string NameKey(const std::vector<std::string>& values);
// The key of a name's components (their values).
std::string ComponentsKey(const std::vector<NameComponent>& components);

}  // namespace vorlix::directory
