#include "directory/memory_tree.h"

#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

// Groups an entry's attribute lines by lower-cased name, keeping first-seen order and the line
// of each value. One hash look-up per line keeps loading linear in the number of lines, however
// many names an entry has.
std::vector<TreeAttribute> GroupAttributes(LdifEntry& source) {
  std::vector<TreeAttribute> attributes;
  std::unordered_map<std::string, size_t> indexOf;
  for (size_t i = 0; i < source.attributes.size(); ++i) {
    auto& [name, value] = source.attributes[i];
    auto [slot, added] = indexOf.try_emplace(LowerCase(name), attributes.size());
    if (added) attributes.push_back(TreeAttribute{slot->first, {}, {}});
    TreeAttribute& target = attributes[slot->second];
    target.values.push_back(std::move(value));
    target.lines.push_back(i < source.lines.size() ? static_cast<uint32_t>(source.lines[i]) : 0);
  }
  return attributes;
}

// The structural class of an entry.
std::string BaseClassOf(const TreeEntry& entry) {
  static const std::vector<std::string> kNone;
  const TreeAttribute* structural = entry.Find("structuralobjectclass");
  const TreeAttribute* classes = entry.Find("objectclass");
  return BaseClassKey(structural ? structural->values : kNone, classes ? classes->values : kNone);
}

}  // namespace

const TreeAttribute* TreeEntry::Find(const std::string& wanted) const {
  for (const TreeAttribute& a : attributes) {
    if (a.key == wanted) return &a;
  }
  return nullptr;
}

MemoryTree::MemoryTree(const std::string& fileName,
                       const std::map<std::string, std::string>& overrides)
    : fileName_(fileName), byKey_(16, 0) {
  for (const auto& [program, ldap] : overrides) names_.SetOverride(program, ldap);
}

MemoryTree::MemoryTree(std::vector<LdifEntry> ldif, const std::string& fileName,
                       const std::map<std::string, std::string>& overrides)
    : MemoryTree(fileName, overrides) {
  entries_.reserve(ldif.size());
  for (LdifEntry& source : ldif) Add(std::move(source));
  IndexNames();
}

std::unique_ptr<MemoryTree> MemoryTree::FromFile(
    const std::string& path, const std::map<std::string, std::string>& overrides) {
  std::unique_ptr<MemoryTree> tree(new MemoryTree(path, overrides));
  const std::string text = ReadLdifText(path);
  // About one entry per 200 bytes of file: spares most regrowing of the indexes.
  tree->entries_.reserve(text.size() / 200);
  ParseLdif(text, path, [&](LdifEntry&& entry) { tree->Add(std::move(entry)); });
  tree->IndexNames();
  return tree;
}

void MemoryTree::Add(LdifEntry&& source) {
  std::string error;
  auto components = ParseLdapDn(source.dn, &error);
  if (!components) {
    throw LdifError(fileName_, source.line, "malformed name \"" + source.dn + "\": " + error);
  }
  if (components->empty()) {  // the root entry carries the tree name
    for (const auto& [name, value] : source.attributes) {
      if (LowerCase(name) == "directorytreename") treeName_ = value;
    }
    return;
  }
  if (components->size() == 1 && LowerCase(components->front().type) == "cn" &&
      LowerCase(components->front().value) == "schema") {
    for (const auto& [name, value] : source.attributes) {
      const std::string key = LowerCase(name);
      if (key == "attributetypes") names_.AddAttributeType(value);
      if (key == "objectclasses") names_.AddObjectClass(value);
    }
    return;
  }
  TreeEntry entry;
  entry.components = std::move(*components);
  entry.dotted = DottedName(entry.components, false);
  entry.key = ComponentsKey(entry.components);
  entry.attributes = GroupAttributes(source);
  entry.baseClass = BaseClassOf(entry);
  lines_.push_back(source.line);
  dns_.push_back(std::move(source.dn));
  byClass_[entry.baseClass].push_back(entries_.size());
  entries_.push_back(std::move(entry));
}

size_t MemoryTree::Slot(std::string_view key) const {
  const size_t mask = byKey_.size() - 1;
  size_t slot = std::hash<std::string_view>()(key) & mask;
  while (byKey_[slot] != 0 && entries_[byKey_[slot] - 1].key != key) slot = (slot + 1) & mask;
  return slot;
}

void MemoryTree::IndexNames() {
  size_t size = 16;
  while (size < 2 * entries_.size()) size *= 2;
  byKey_.assign(size, 0);
  for (size_t i = 0; i < entries_.size(); ++i) {
    const size_t slot = Slot(entries_[i].key);
    if (byKey_[slot] != 0) {
      const size_t first = byKey_[slot] - 1;
      throw LdifError(fileName_, lines_[i],
                      "duplicate entry \"" + dns_[i] + "\" (first at line " +
                          std::to_string(lines_[first]) + ")");
    }
    byKey_[slot] = static_cast<uint32_t>(i + 1);
  }
  dns_.clear();
  dns_.shrink_to_fit();
}

const TreeEntry* MemoryTree::Find(const std::string& dotted) const {
  // The name as written first, since a value may itself hold "=" ("R=D.acme"); then, for a
  // typed name, without its "type=" prefixes.
  for (const bool dropTypes : {false, true}) {
    const size_t slot = Slot(NameKey(SplitDottedName(dotted, dropTypes)));
    if (byKey_[slot] != 0) return &entries_[byKey_[slot] - 1];
    if (dotted.find('=') == std::string::npos) break;  // no prefix to drop
  }
  return nullptr;
}

const TreeEntry* MemoryTree::FindDn(const std::string& dn) const {
  auto components = ParseLdapDn(dn, nullptr);
  if (!components || components->empty()) return nullptr;
  const size_t slot = Slot(ComponentsKey(*components));
  return byKey_[slot] != 0 ? &entries_[byKey_[slot] - 1] : nullptr;
}

const std::vector<size_t>& MemoryTree::OfClass(const std::string& key) const {
  static const std::vector<size_t> kNone;
  auto it = byClass_.find(key);
  return it == byClass_.end() ? kNone : it->second;
}

}  // namespace vorlix::directory
