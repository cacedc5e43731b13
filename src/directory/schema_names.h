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
#include <unordered_set>
#include <vector>

#include "platform/plain_text.h"

namespace vorlix::directory {

// The most specific class of a list of classes, as written. Servers order the list either way:
// one that begins with "top" runs from the most general class to the most specific (Active
// Directory's objectClass, Samba's structuralObjectClass chain), so its last class is taken;
// any other list names the most specific first, so its first class but "top" is taken.
template <std::ranges::input_range Classes>
std::string_view MostSpecificClass(Classes&& classes) {
  std::string_view first, last;
  bool topFirst = false, any = false;
  for (std::string_view value : classes) {
    const bool top = platform::CompareNoCase(value, "top") == 0;
    if (!any) topFirst = top;
    any = true;
    if (top) continue;
    if (first.empty()) first = value;
    last = value;
  }
  return topFirst ? last : first;
}

// The structural class of an entry with these values (ranges of texts), as written: the most
// specific class of its structuralObjectClass when it has one, else of its objectClass.
template <std::ranges::input_range Structural, std::ranges::input_range Classes>
std::string_view BaseClassValue(Structural&& structuralObjectClass, Classes&& objectClass) {
  if (std::ranges::begin(structuralObjectClass) != std::ranges::end(structuralObjectClass)) {
    return MostSpecificClass(structuralObjectClass);
  }
  return MostSpecificClass(objectClass);
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
  // The lower-cased structural class of an entry with these values: of the classes listed
  // (structuralObjectClass when given, else objectClass) the one that no other listed class
  // derives from, leaving out the schema's auxiliary and abstract classes; as BaseClassKey takes
  // it when the schema does not settle it.
  std::string BaseClassOf(const std::vector<std::string>& structuralObjectClass,
                          const std::vector<std::string>& objectClass) const;
  // The syntax of an attribute by lower-cased LDAP name: the schema's (or, without one of its
  // own, its superior type's), else the built-in table's, else that of the program name mapped to
  // it (SetOverride), else case-ignore string. An attribute of Active Directory's Large Integer
  // syntax that a program's time attribute is mapped to ("WM:Last Registered
  // Time=lastLogonTimestamp") is a time; other Large Integers are texts.
  int32_t SyntaxOf(const std::string& attributeKey) const;
  // Whether the attribute's values are Windows times (SyntaxOf gives a time for a Large Integer):
  // 100-nanosecond steps since 1601, to be converted (ParseWindowsTime).
  bool HoldsWindowsTime(const std::string& attributeKey) const;
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
  std::unordered_map<std::string, std::vector<std::string>> classSuperiors_;  // class -> SUP
  std::unordered_set<std::string> notStructural_;  // auxiliary and abstract classes
  std::unordered_set<std::string> largeIntegers_;  // attribute keys of Large Integer syntax
  std::unordered_set<std::string> timeTargets_;    // keys that program times are mapped to
  std::unordered_map<std::string, int32_t> mappedSyntaxes_;  // key an override names -> syntax
};

}  // namespace vorlix::directory
