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

// The two spellings of a dotted name: values alone, or each with its "type=".
enum class NameForm { kTypeless, kTyped };
// The form a context's flag for typed names chooses.
constexpr NameForm NameFormOf(bool typed) {
  return typed ? NameForm::kTyped : NameForm::kTypeless;
}

// The dotted spelling of components in form.
std::string DottedName(const std::vector<NameComponent>& components, NameForm form);

// How the backslashes of a dotted name are read: as this program writes them ("\." a dot, "\\" a
// backslash), or as earlier versions wrote them, escaping dots only ("\." a dot, every other
// backslash itself), so that names a script kept from then still find their objects.
enum class DotEscapes { kCurrent, kEarlier };

// What becomes of a "type=" prefix of a component when a dotted name is split: dropped, so that
// typed and typeless names are both accepted, or kept as part of the value.
enum class TypePrefix { kDropped, kKept };

// Splits a dotted name into component values.
std::vector<std::string> SplitDottedName(std::string_view dotted,
                                         TypePrefix prefix = TypePrefix::kDropped,
                                         DotEscapes escapes = DotEscapes::kCurrent);

// Whether the earlier reading of a dotted name differs from the current one (it holds "\\").
bool ReadsOtherwiseEarlier(std::string_view dotted);

// What is wrong with a dotted name that no object can have: it is empty, or a component is
// empty (a leading or trailing dot, two dots in a row); empty when nothing is.
std::string DottedNameFault(std::string_view dotted);

// Joins the component values in a name key; no name holds it.
inline constexpr char kNameKeySeparator = '\x1f';

// The lookup key of a name: component values case-folded (platform/case_fold.h) and joined by a
// separator that no name holds.
std::string NameKey(const std::vector<std::string>& values);
// The key of a name's components (their values).
std::string ComponentsKey(const std::vector<NameComponent>& components);

// The keys of a name read straight from its text, into `key`, with `scratch` as working room:
// neither makes an allocation once both are large enough, so a look-up per read costs none.
// DottedNameKey gives NameKey(SplitDottedName(dotted, prefix, escapes)); LdapDnKey gives
// ComponentsKey(*ParseLdapDn(dn)), empty for the empty name, and false for a malformed name.
void DottedNameKey(std::string_view dotted, TypePrefix prefix, DotEscapes escapes, std::string& key,
                   std::string& scratch);
bool LdapDnKey(std::string_view dn, std::string& key, std::string& scratch);

}  // namespace vorlix::directory
