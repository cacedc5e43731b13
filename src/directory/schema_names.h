#pragma once
// Maps the class and attribute names the program asks for to the LDAP names of the tree, and
// gives each attribute its syntax number. A tree that publishes a schema ("cn=schema" with
// attributeTypes / objectClasses, each type optionally carrying X-NDS_NAME 'program name') is
// taken at its word; otherwise a name loses its spaces and colons and its first letter is
// lower-cased ("WM:NAME User" -> wMNAMEUser), except "Group" (groupOfNames), "Telephone Number"
// (telephoneNumber) and "CN" (cn). Single names may be overridden. LDAP names match without
// regard to case, so all keys here are lower-cased.

#include <cstdint>
#include <map>
#include <ranges>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/plain_text.h"

namespace vorlix::directory {

// The structural class of an entry with these values (ranges of texts), as written: its
// structuralObjectClass when it has one, else its first objectClass but "top".
template <std::ranges::input_range Structural, std::ranges::input_range Classes>
std::string_view BaseClassValue(Structural&& structuralObjectClass, Classes&& objectClass) {
  if (auto first = std::ranges::begin(structuralObjectClass);
      first != std::ranges::end(structuralObjectClass)) {
    return std::string_view(*first);
  }
  for (std::string_view value : objectClass) {
    if (platform::CompareNoCase(value, "top") != 0) return value;
  }
  return {};
}

// The same, lower-cased.
template <std::ranges::input_range Structural, std::ranges::input_range Classes>
std::string BaseClassKey(Structural&& structuralObjectClass, Classes&& objectClass) {
  return platform::LowerCase(BaseClassValue(structuralObjectClass, objectClass));
}

class SchemaNames {
 public:
  // Reads one attributeTypes / objectClasses value of a schema entry; ignores what it cannot read.
  void AddAttributeType(const std::string& definition);
  void AddObjectClass(const std::string& definition);
  // Maps a program name to an LDAP name before any other rule.
  void SetOverride(const std::string& programName, const std::string& ldapName);

  // The lower-cased LDAP name of a program's attribute (its first name, CanonicalKey) or class
  // name.
  std::string AttributeKey(const std::string& programName) const;
  std::string ClassKey(const std::string& programName) const;
  // The program's name for an LDAP class name (the schema's X-NDS_NAME, "Group", or itself).
  std::string ProgramClassName(const std::string& ldapName) const;
  // The syntax of an attribute by lower-cased LDAP name: the schema's (or, without one of its
  // own, its superior type's), else the built-in table's, else that of the program name mapped to
  // it (SetOverride), else case-ignore string.
  int32_t SyntaxOf(const std::string& attributeKey) const;
  // The lower-cased first name of an attribute type that the schema, or without one the standard
  // schema, gives under several names ("commonname" -> "cn", "surname" -> "sn"); other names
  // lower-cased.
  std::string CanonicalKey(const std::string& attributeName) const;

  // The syntax number of an LDAP SYNTAX OID; -1 when unknown.
  static int32_t SyntaxFromOid(const std::string& oid);

 private:
  // CanonicalKey of a name already lower-cased.
  std::string CanonicalOfKey(std::string key) const;

  std::unordered_map<std::string, std::string> attributeNames_;     // program name (lower) -> key
  std::unordered_map<std::string, std::string> classNames_;         // program name (lower) -> key
  std::unordered_map<std::string, std::string> classProgramNames_;  // key -> program name
  std::unordered_map<std::string, int32_t> syntaxes_;               // key -> syntax
  std::unordered_map<std::string, std::string> superiors_;          // key -> SUP key
  std::unordered_map<std::string, std::string> canonical_;          // any name -> first name
  std::map<std::string, std::string> overrides_;                    // program name (lower) -> key
  std::unordered_map<std::string, int32_t> mappedSyntaxes_;  // key an override names -> syntax
};

}  // namespace vorlix::directory
