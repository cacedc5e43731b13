#include "directory/memory_tree.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "directory/client_codes.h"
#include "directory/dotted_name.h"
#include "directory/text_hash.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

// What loading needs beside the tree: the numbers of the attribute names as the file spells them,
// the grouping of an entry's lines by name, and the first entry whose name was taken.
struct MemoryTree::Loader {
  explicit Loader(MemoryTree& t)
      : tree(t),
        structuralClass(t.attributeNames_.Intern("structuralobjectclass")),
        objectClass(t.attributeNames_.Intern("objectclass")) {}

  // Sizes the tables for a file of that many lines: no entry, attribute or value without a line
  // of its own. Growing them instead would hold the old and new tables at once.
  void Reserve(size_t lines) {
    ++lines;  // the last line may have no line end
    tree.entries_.reserve(lines / 2 + 1);
    tree.attributes_.reserve(lines);
  }

  void Add(const LdifRecord& record);
  void AddEntry(const LdifRecord& record, const std::vector<NameComponent>& components);
  void GroupAttributes(const LdifRecord& record, TreeEntry& entry);
  // The number of the attribute name spelled so on the entry's line at position.
  NameId AttributeOf(size_t position, std::string_view spelling);
  NameId NumberOf(std::string_view spelling);
  [[noreturn]] void TooLarge(const LdifRecord& record) const {
    throw LdifError(tree.fileName_, record.line,
                    "the tree is too large: more than " +
                        std::to_string(std::numeric_limits<uint32_t>::max()) +
                        " entries, attributes or values, or a name or value of that many bytes");
  }

  MemoryTree& tree;
  const NameId structuralClass;
  const NameId objectClass;
  TextMap<NameId> spellings;  // attribute names as the file spells them
  std::vector<std::pair<std::string, NameId>> lastSpellings;  // by line, as last met
  std::vector<std::string_view> structuralTexts, classTexts;  // of the entry being added
  std::string lastBaseClassValue;  // the base class of the entry before, as written
  NameId lastBaseClass = kNoName;
  // Per attribute number, its place among the attributes of the entry that stamp names.
  std::vector<uint32_t> slotOf, stampOf;
  uint32_t stamp = 0;
  std::vector<uint32_t> slotOfLine;          // the attribute place of each line of the entry
  std::vector<TreeAttribute> grouped;        // the entry's attributes as they are grouped
  std::vector<uint32_t> firstOfSlot, order;  // the lines sorted by attribute place
  std::string names;                         // the entry's names, joined for the arena
  std::optional<LdifError> duplicate;        // the first entry whose name was taken
};

void MemoryTree::Loader::Add(const LdifRecord& record) {
  std::string error;
  auto components = ParseLdapDn(record.dn, &error);
  if (!components) {
    throw LdifError(tree.fileName_, record.line,
                    "malformed name \"" + std::string(record.dn) + "\": " + error);
  }
  if (components->empty()) {  // the root entry carries the tree name
    for (const LdifLine& line : record.attributes) {
      if (LowerCase(line.name) == "directorytreename") tree.treeName_ = line.value;
    }
    return;
  }
  if (components->size() == 1 && LowerCase(components->front().type) == "cn" &&
      LowerCase(components->front().value) == "schema") {
    for (const LdifLine& line : record.attributes) {
      const std::string key = LowerCase(line.name);
      if (key == "attributetypes") tree.names_.AddAttributeType(std::string(line.value));
      if (key == "objectclasses") tree.names_.AddObjectClass(std::string(line.value));
    }
    return;
  }
  AddEntry(record, *components);
}

void MemoryTree::Loader::AddEntry(const LdifRecord& record,
                                  const std::vector<NameComponent>& components) {
  constexpr size_t kMost = std::numeric_limits<uint32_t>::max();
  if (tree.entries_.size() >= kMost - 1) TooLarge(record);
  TreeEntry entry;
  const std::string dotted = DottedName(components, NameForm::kTypeless);
  const std::string typed = DottedName(components, NameForm::kTyped);
  const std::string key = ComponentsKey(components);
  if (typed.size() >= kMost || key.size() >= kMost) TooLarge(record);
  names.assign(dotted).append(typed).append(key);
  entry.names = tree.arena_.Copy(names).data();
  entry.dottedSize = static_cast<uint32_t>(dotted.size());
  entry.typedSize = static_cast<uint32_t>(typed.size());
  entry.keySize = static_cast<uint32_t>(key.size());
  entry.depth = static_cast<uint32_t>(components.size());
  entry.line = static_cast<uint32_t>(record.line);
  GroupAttributes(record, entry);

  // The texts of the entry's values of an attribute, in `out`.
  auto texts = [&](NameId name, std::vector<std::string_view> & out) -> auto& {
    out.clear();
    if (const TreeAttribute* attribute = tree.FindAttribute(entry, name)) {
      for (const TreeValue& value : tree.ValuesOf(*attribute)) out.push_back(value.text());
    }
    return out;
  };
  // Entries mostly come in runs of one class: the class of the entry before is taken again
  // without a look-up.
  const std::string_view baseClass =
      BaseClassValue(texts(structuralClass, structuralTexts), texts(objectClass, classTexts));
  if (lastBaseClass == kNoName || baseClass != lastBaseClassValue) {
    lastBaseClass = tree.classNames_.Intern(LowerCase(baseClass));
    lastBaseClassValue.assign(baseClass);
  }
  entry.baseClass = lastBaseClass;

  const auto index = static_cast<uint32_t>(tree.entries_.size());
  tree.entries_.push_back(entry);
  if (!tree.IndexName(index)) {
    // Loading goes on, so that a fault further on in the file is the one reported, as it is
    // met first when the names are indexed after reading.
    const TreeEntry* first = tree.AtSlot(tree.Slot(entry.key()));
    if (!duplicate) {
      duplicate = LdifError(tree.fileName_, record.line,
                            "duplicate entry \"" + std::string(record.dn) + "\" (first at line " +
                                std::to_string(first->line) + ")");
    }
    return;
  }
  if (entry.baseClass >= tree.byClass_.size()) tree.byClass_.resize(entry.baseClass + 1);
  tree.byClass_[entry.baseClass].push_back(index);
}

// Groups the entry's attribute lines by name in first-seen order, each name's values in file
// order. One look-up per line keeps loading linear in the lines, however many names an entry has.
void MemoryTree::Loader::GroupAttributes(const LdifRecord& record, TreeEntry& entry) {
  constexpr size_t kMost = std::numeric_limits<uint32_t>::max();
  ++stamp;
  grouped.clear();
  slotOfLine.clear();
  NameId name = kNoName;
  for (size_t i = 0; i < record.attributes.size(); ++i) {
    // A name mostly repeats the line before ("member:" after "member:").
    if (i == 0 || record.attributes[i].name != record.attributes[i - 1].name) {
      name = AttributeOf(i, record.attributes[i].name);
    }
    if (name >= stampOf.size()) {
      stampOf.resize(name + 1, 0);
      slotOf.resize(name + 1, 0);
    }
    if (stampOf[name] != stamp) {
      stampOf[name] = stamp;
      slotOf[name] = static_cast<uint32_t>(grouped.size());
      grouped.push_back(TreeAttribute{name, 0, nullptr});
    }
    ++grouped[slotOf[name]].valueCount;
    slotOfLine.push_back(slotOf[name]);
  }
  if (record.attributes.size() >= kMost || tree.attributes_.size() + grouped.size() >= kMost) {
    TooLarge(record);
  }
  // The lines in the order of their attributes (a counting sort on the place), then their values
  // packed in that order into the arena.
  firstOfSlot.assign(grouped.size() + 1, 0);
  for (size_t k = 0; k < grouped.size(); ++k) {
    firstOfSlot[k + 1] = firstOfSlot[k] + grouped[k].valueCount;
  }
  order.resize(record.attributes.size());
  for (size_t i = 0; i < record.attributes.size(); ++i) {
    order[firstOfSlot[slotOfLine[i]]++] = static_cast<uint32_t>(i);
  }
  size_t size = 0;
  for (const LdifLine& value : record.attributes) {
    if (value.value.size() >= kMost) TooLarge(record);
    size += PackedSize(static_cast<uint32_t>(value.line), value.value);
  }
  char* at = size > 0 ? tree.arena_.Allocate(size) : nullptr;
  const uint32_t* line = order.data();
  for (TreeAttribute& attribute : grouped) {
    attribute.values = at;
    for (uint32_t n = 0; n < attribute.valueCount; ++n) {
      const LdifLine& value = record.attributes[*line++];
      at = PackValue(at, static_cast<uint32_t>(value.line), value.value);
    }
  }
  entry.firstAttribute = static_cast<uint32_t>(tree.attributes_.size());
  entry.attributeCount = static_cast<uint32_t>(grouped.size());
  tree.attributes_.insert(tree.attributes_.end(), grouped.begin(), grouped.end());
}

NameId MemoryTree::Loader::AttributeOf(size_t position, std::string_view spelling) {
  // Entries mostly list their names in the order of the entry before; the first few places are
  // remembered, so that an entry of many lines does not make a copy of each name.
  constexpr size_t kRemembered = 64;
  if (position < lastSpellings.size() && lastSpellings[position].first == spelling) {
    return lastSpellings[position].second;
  }
  const NameId name = NumberOf(spelling);
  if (position >= kRemembered) return name;
  if (position >= lastSpellings.size()) lastSpellings.resize(position + 1);
  lastSpellings[position] = {std::string(spelling), name};
  return name;
}

NameId MemoryTree::Loader::NumberOf(std::string_view spelling) {
  if (auto known = spellings.find(spelling); known != spellings.end()) return known->second;
  // Held under the first name of its type: "surname:" and "sn:" are one attribute.
  const NameId name = tree.attributeNames_.Intern(tree.names_.CanonicalKey(std::string(spelling)));
  spellings.emplace(spelling, name);
  return name;
}

MemoryTree::MemoryTree(const std::string& fileName,
                       const std::map<std::string, std::string>& overrides)
    : fileName_(fileName), byKey_(16) {
  for (const auto& [program, ldap] : overrides) names_.SetOverride(program, ldap);
}

MemoryTree::~MemoryTree() = default;

std::unique_ptr<MemoryTree> MemoryTree::Load(const std::string& fileName,
                                             const std::map<std::string, std::string>& overrides,
                                             size_t lines,
                                             const std::function<void(const ScanAction&)>& scan) {
  std::unique_ptr<MemoryTree> tree(new MemoryTree(fileName, overrides));
  Loader loader(*tree);
  loader.Reserve(lines);
  scan([&](const LdifRecord& record) { loader.Add(record); });
  if (loader.duplicate) throw *loader.duplicate;
  return tree;
}

std::unique_ptr<MemoryTree> MemoryTree::FromText(
    std::string_view text, const std::string& fileName,
    const std::map<std::string, std::string>& overrides) {
  const auto lines = static_cast<size_t>(std::ranges::count(text, '\n'));
  return Load(fileName, overrides, lines,
              [&](const ScanAction& onRecord) { ScanLdif(text, fileName, onRecord); });
}

std::unique_ptr<MemoryTree> MemoryTree::FromFile(
    const std::string& path, const std::map<std::string, std::string>& overrides, size_t partSize) {
  return Load(path, overrides, CountLdifLines(path, partSize),
              [&](const ScanAction& onRecord) { ScanLdifFile(path, partSize, onRecord); });
}

const TreeAttribute* MemoryTree::FindAttribute(const TreeEntry& entry, NameId name) const {
  for (const TreeAttribute& attribute : AttributesOf(entry)) {
    if (attribute.name == name) return &attribute;
  }
  return nullptr;
}

size_t MemoryTree::Slot(std::string_view key, uint32_t hash) const {
  const size_t mask = byKey_.size() - 1;
  size_t slot = hash & mask;
  while (byKey_[slot].entry != 0 &&
         (byKey_[slot].hash != hash || entries_[byKey_[slot].entry - 1].key() != key)) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

bool MemoryTree::IndexName(uint32_t index) {
  if (2 * (indexed_ + 1) > byKey_.size()) {  // at most half full: probes stay short
    std::vector<IndexSlot> old(2 * byKey_.size());
    old.swap(byKey_);
    const size_t mask = byKey_.size() - 1;
    for (const IndexSlot& held : old) {
      if (held.entry == 0) continue;
      size_t slot = held.hash & mask;
      while (byKey_[slot].entry != 0) slot = (slot + 1) & mask;  // the keys differ
      byKey_[slot] = held;
    }
  }
  const std::string_view key = entries_[index].key();
  const uint32_t hash = HashOf(key);
  const size_t slot = Slot(key, hash);
  if (byKey_[slot].entry != 0) return false;
  byKey_[slot] = IndexSlot{hash, index + 1};
  ++indexed_;
  return true;
}

namespace {

// The key of the name being looked up and the room to make it in, kept from one look-up to the
// next so that a look-up makes no allocation.
thread_local std::string lookupKey, lookupScratch;

}  // namespace

const TreeEntry* MemoryTree::Find(const std::string& dotted) const {
  // The name as written first, since a value may itself hold "=" ("R=D.acme"); then, for a
  // typed name, without its "type=" prefixes; then as earlier versions spelled backslashes.
  for (const DotEscapes escapes : {DotEscapes::kCurrent, DotEscapes::kEarlier}) {
    if (escapes == DotEscapes::kEarlier && !ReadsOtherwiseEarlier(dotted)) break;
    for (const TypePrefix prefix : {TypePrefix::kKept, TypePrefix::kDropped}) {
      DottedNameKey(dotted, prefix, escapes, lookupKey, lookupScratch);
      if (const TreeEntry* entry = AtSlot(Slot(lookupKey))) return entry;
      if (dotted.find('=') == std::string::npos) break;  // no prefix to drop
    }
  }
  return nullptr;
}

const TreeEntry* MemoryTree::FindDn(std::string_view dn) const {
  if (!LdapDnKey(dn, lookupKey, lookupScratch) || lookupKey.empty()) return nullptr;
  return AtSlot(Slot(lookupKey));
}

const std::vector<uint32_t>& MemoryTree::OfClass(const std::string& key) const {
  static const std::vector<uint32_t> kNone;
  const NameId id = classNames_.Find(key);
  return id < byClass_.size() ? byClass_[id] : kNone;
}

bool MemoryTree::InScope(const TreeEntry& entry, const TreeEntry* base, int32_t scope) const {
  if (!base) return scope == kScopeSubtree || (scope == kScopeOneLevel && entry.depth == 1);
  if (scope == kScopeEntry) return &entry == base;
  if (entry.depth < base->depth || (scope == kScopeOneLevel && entry.depth != base->depth + 1)) {
    return false;
  }
  // Below the base: its key ends in the base's, after a separator.
  const std::string_view key = entry.key(), baseKey = base->key();
  if (!key.ends_with(baseKey)) return false;
  return key.size() == baseKey.size() || key[key.size() - baseKey.size() - 1] == kNameKeySeparator;
}

}  // namespace vorlix::directory
