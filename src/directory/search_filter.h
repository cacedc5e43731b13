#pragma once
// Search filters of the embedded client, built from the tokens of dsFilterToken:
//   expression := term { OR term }          term := factor { AND factor }
//   factor     := NOT factor | ( expression ) | BASECLASS ATTRNAME(class)
//               | PRESENT ATTRNAME | ATTRNAME (EQUAL | APPROX | GE | LE) VALUE
// ended by END. "*" in an EQUAL value matches any run of characters; texts compare without
// regard to case in any script (platform/case_fold.h) except case-exact strings.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/memory_tree.h"

namespace vorlix::directory {

struct FilterToken {
  int32_t token = 0;
  std::optional<std::string> value;
  int32_t syntax = 0;
};

class SearchFilter {
 public:
  // Nullopt with a reason in error when the tokens do not form a filter.
  static std::optional<SearchFilter> Build(const std::vector<FilterToken>& tokens,
                                           const SchemaNames& names, std::string* error);

  // The filter over the entries of one tree, its names resolved once for a search.
  class TreeMatch {
   public:
    TreeMatch(const SearchFilter& filter, const MemoryTree& tree);
    bool operator()(const TreeEntry& entry) const;

   private:
    friend class SearchFilter;
    const SearchFilter& filter_;
    const MemoryTree& tree_;
    std::vector<NameId> names_;      // per node: its attribute's number (a base class: its own)
    std::vector<int32_t> syntaxes_;  // per node: its attribute's syntax
  };

  // The base class every match must have (lower-cased LDAP name), when the filter says so; lets
  // a search look only at the entries of that class.
  std::optional<std::string> RequiredClass() const;

  // The filter in RFC 4515 form for an LDAP server (ldap_filter.cpp): every value escaped, only
  // the "*" of an equality left a wildcard; a base class becomes an objectClass equality, which
  // subclasses match too (RequiredClass() lets the caller check the base class exactly); a value
  // of name syntax is written as the LDAP name that dnOf gives for it. Empty when an attribute
  // name is no valid attribute description.
  std::string ToLdapFilter(const SchemaNames& names,
                           const std::function<std::string(const std::string&)>& dnOf) const;

 private:
  enum class Kind { kAnd, kOr, kNot, kBaseClass, kPresent, kEqual, kGreaterEqual, kLessEqual };
  struct Node {
    Kind kind;
    std::vector<size_t> children;
    std::string attribute;  // lower-cased LDAP name (kBaseClass: the class)
    std::string value;
  };
  bool Evaluate(size_t node, const TreeEntry& entry, const TreeMatch& match) const;
  void AppendLdap(size_t node, const SchemaNames& names,
                  const std::function<std::string(const std::string&)>& dnOf,
                  std::string& out) const;

  std::vector<Node> nodes_;
  size_t root_ = 0;
  friend class FilterParser;
};

// Match of text against a pattern in which "*" matches any run of characters; with ignoreCase
// both are compared case-folded.
bool WildcardMatch(std::string_view pattern, std::string_view text, bool ignoreCase);

}  // namespace vorlix::directory
