#pragma once
// The in-memory tree of the embedded client: the entries of an LDIF file with their names
// parsed, indexed by name and by base class, the schema names and the tree name.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/dotted_name.h"
#include "directory/ldif_reader.h"
#include "directory/schema_names.h"

namespace vorlix::directory {

struct TreeAttribute {
  std::string key;  // LDAP name, lower-cased
  std::vector<std::string> values;
  std::vector<uint32_t> lines;  // line of each value in the tree file
};

struct TreeEntry {
  std::vector<NameComponent> components;  // leftmost first
  std::string dotted;                     // typeless dotted name
  std::string key;                        // NameKey of the component values
  std::string baseClass;                  // LDAP name of the structural class, lower-cased
  std::vector<TreeAttribute> attributes;

  const TreeAttribute* Find(const std::string& key) const;
};

class MemoryTree {
 public:
  // Builds the tree from parsed entries; fileName labels errors (LdifError with the entry's line).
  // The entry with the empty name gives the tree name (directoryTreeName); "cn=schema" gives the
  // schema. overrides maps program names to LDAP names.
  MemoryTree(std::vector<LdifEntry> entries, const std::string& fileName,
             const std::map<std::string, std::string>& overrides = {});
  // Reads the tree from an LDIF file, entry by entry.
  static std::unique_ptr<MemoryTree> FromFile(const std::string& path,
                                              const std::map<std::string, std::string>& overrides);

  const std::string& fileName() const { return fileName_; }
  const std::string& treeName() const { return treeName_; }
  const SchemaNames& names() const { return names_; }
  const std::vector<TreeEntry>& entries() const { return entries_; }

  // The entry of a dotted (or typed dotted) name; nullptr when there is none.
  const TreeEntry* Find(const std::string& dotted) const;
  // The entry of an LDAP name in any spelling; nullptr when there is none.
  const TreeEntry* FindDn(const std::string& dn) const;
  // Indexes of the entries whose base class is key (lower-cased LDAP class name).
  const std::vector<size_t>& OfClass(const std::string& key) const;

 private:
  MemoryTree(const std::string& fileName, const std::map<std::string, std::string>& overrides);
  void Add(LdifEntry&& source);
  // Builds the name index once all entries are in; refuses two entries of one name.
  void IndexNames();
  // The slot of key in the name index: the one holding it, or the empty one where it would go.
  size_t Slot(std::string_view key) const;

  std::string fileName_;
  std::vector<size_t> lines_;     // line of each entry, for the duplicate message
  std::vector<std::string> dns_;  // name of each entry as written, until the index is built
  std::string treeName_;
  SchemaNames names_;
  std::vector<TreeEntry> entries_;
  // Open-addressed index of entries by name key: entry index + 1, 0 for an empty slot.
  std::vector<uint32_t> byKey_;
  std::unordered_map<std::string, std::vector<size_t>> byClass_;
};

}  // namespace vorlix::directory
