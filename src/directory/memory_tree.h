#pragma once
// The in-memory tree of the embedded client: the entries of an LDIF file with their names parsed,
// indexed by name and by base class, the schema names and the tree name.
//
// Laid out lean, for trees of a million entries: the file is read in parts and not kept; the
// values (packed, tree_values.h) and the names made from an entry's name are copied into an
// arena, without the attribute names and "dn:" lines around them; attribute and class names are
// held once each in name tables; the entries and their attributes lie in two flat tables.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ldif_reader.h"
#include "directory/name_table.h"
#include "directory/schema_names.h"
#include "directory/text_arena.h"
#include "directory/tree_values.h"

namespace vorlix::directory {

// A number from the tree's name tables: of an attribute name or of a class name.
using NameId = uint32_t;
inline constexpr NameId kNoName = NameTable::kNone;

// One attribute of an entry: its name and its values, in file order, packed in the arena.
struct TreeAttribute {
  NameId name = kNoName;  // the lower-cased LDAP name
  uint32_t valueCount = 0;
  const char* values = nullptr;
};

struct TreeEntry {
  // Its name in three spellings, which lie one after the other in the tree's arena.
  std::string_view dotted() const { return {names, dottedSize}; }                     // typeless
  std::string_view typed() const { return {names + dottedSize, typedSize}; }          // typed
  std::string_view key() const { return {names + dottedSize + typedSize, keySize}; }  // NameKey

  const char* names = nullptr;
  uint32_t dottedSize = 0;
  uint32_t typedSize = 0;
  uint32_t keySize = 0;
  uint32_t depth = 0;  // number of name components
  uint32_t line = 0;   // line of its "dn:" line
  uint32_t firstAttribute = 0;
  uint32_t attributeCount = 0;
  NameId baseClass = kNoName;  // the lower-cased LDAP name of its structural class
};

class MemoryTree {
 public:
  MemoryTree(const MemoryTree&) = delete;
  MemoryTree& operator=(const MemoryTree&) = delete;
  ~MemoryTree();

  // Builds the tree from LDIF text; fileName labels errors (LdifError with the entry's line).
  // The entry with the empty name gives the tree name (directoryTreeName); "cn=schema" gives the
  // schema. overrides maps program names to LDAP names.
  static std::unique_ptr<MemoryTree> FromText(
      std::string_view text, const std::string& fileName,
      const std::map<std::string, std::string>& overrides = {});
  // Reads the tree from an LDIF file, partSize bytes at a time.
  static std::unique_ptr<MemoryTree> FromFile(const std::string& path,
                                              const std::map<std::string, std::string>& overrides,
                                              size_t partSize = kLdifPartSize);

  const std::string& fileName() const { return fileName_; }
  const std::string& treeName() const { return treeName_; }
  const SchemaNames& names() const { return names_; }
  const std::vector<TreeEntry>& entries() const { return entries_; }

  // The entry of a dotted (or typed dotted) name; nullptr when there is none.
  const TreeEntry* Find(const std::string& dotted) const;
  // The entry of an LDAP name in any spelling; nullptr when there is none.
  const TreeEntry* FindDn(std::string_view dn) const;
  // Indexes of the entries whose base class is key (lower-cased LDAP class name).
  const std::vector<uint32_t>& OfClass(const std::string& key) const;
  // Whether entry lies in the scope (kScopeEntry, kScopeOneLevel, kScopeSubtree) of base; a null
  // base is the whole tree, whose one level is the entries of one component.
  bool InScope(const TreeEntry& entry, const TreeEntry* base, int32_t scope) const;

  // Attribute names: the number of a lower-cased LDAP name (kNoName when no entry has it) and
  // the name of a number.
  NameId AttributeId(std::string_view key) const { return attributeNames_.Find(key); }
  const std::string& AttributeKey(NameId id) const { return attributeNames_[id]; }
  // Class names: the number of a lower-cased LDAP class name (kNoName when no entry has it as its
  // base class) and the name of a number.
  NameId ClassId(std::string_view key) const { return classNames_.Find(key); }
  const std::string& ClassKey(NameId id) const { return classNames_[id]; }

  std::span<const TreeAttribute> AttributesOf(const TreeEntry& entry) const {
    return std::span(attributes_).subspan(entry.firstAttribute, entry.attributeCount);
  }
  TreeValues ValuesOf(const TreeAttribute& attribute) const {
    return TreeValues(attribute.values, attribute.valueCount);
  }
  // The attribute of entry with this name; nullptr when it has none.
  const TreeAttribute* FindAttribute(const TreeEntry& entry, NameId name) const;
  // An attribute by its place in the attribute table (its index, as AttributeIndex gives it).
  const TreeAttribute& AttributeAt(uint32_t index) const { return attributes_[index]; }
  uint32_t AttributeIndex(const TreeAttribute& attribute) const {
    return static_cast<uint32_t>(&attribute - attributes_.data());
  }

 private:
  struct Loader;
  using ScanAction = std::function<void(const LdifRecord&)>;
  MemoryTree(const std::string& fileName, const std::map<std::string, std::string>& overrides);
  // Builds a tree from the records that scan hands to its action; lines sizes the tables.
  static std::unique_ptr<MemoryTree> Load(const std::string& fileName,
                                          const std::map<std::string, std::string>& overrides,
                                          size_t lines,
                                          const std::function<void(const ScanAction&)>& scan);
  // The slot of key in the name index: the one holding it, or the empty one where it would go.
  size_t Slot(std::string_view key) const { return Slot(key, HashOf(key)); }
  size_t Slot(std::string_view key, uint32_t hash) const;
  static uint32_t HashOf(std::string_view key) {
    return static_cast<uint32_t>(std::hash<std::string_view>()(key));
  }
  // Adds entry `index` to the name index; false (and nothing added) when its name is taken.
  bool IndexName(uint32_t index);
  const TreeEntry* AtSlot(size_t slot) const {
    return byKey_[slot].entry != 0 ? &entries_[byKey_[slot].entry - 1] : nullptr;
  }

  TextArena arena_;  // the values and the names of the entries
  std::string fileName_;
  std::string treeName_;
  SchemaNames names_;
  NameTable attributeNames_;
  NameTable classNames_;
  std::vector<TreeEntry> entries_;
  std::vector<TreeAttribute> attributes_;
  // Open-addressed index of entries by name key: entry index + 1, 0 for an empty slot.
  // The key's hash rides along, so that a probe looks at an entry only when the hashes agree and
  // growing the index reads no entry.
  struct IndexSlot {
    uint32_t hash = 0;
    uint32_t entry = 0;
  };
  std::vector<IndexSlot> byKey_;
  size_t indexed_ = 0;                          // entries in the index
  std::vector<std::vector<uint32_t>> byClass_;  // entry indexes by base class number
};

}  // namespace vorlix::directory
