#include "directory/embedded_client.h"

#include "directory/memory_tree.h"
#include "directory/value_conversion.h"

namespace vorlix::directory {

namespace {

// A value from the tree file as a message quotes it: at most 40 bytes, control bytes as \xNN.
std::string QuotedValue(std::string_view text) {
  constexpr size_t kShown = 40;
  std::string quoted = "\"";
  for (size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      quoted += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    } else {
      quoted += text[i];
    }
  }
  if (text.size() > kShown) quoted += "...";
  return quoted + "\"";
}

}  // namespace

struct EmbeddedClient::State {
  std::string path;
  std::map<std::string, std::string> overrides;
  std::unique_ptr<MemoryTree> tree;
  std::string failure;

  // Reads of one object come in runs (a row reads several attributes of its member), and the
  // same few attribute names are asked for again and again: the entry last found and what each
  // name was resolved to are kept, so that a read parses no name it has seen just before.
  std::string lastObject;
  const TreeEntry* lastEntry = nullptr;
  const TreeEntry* lastSpelledEntry = nullptr;
  struct ResolvedName {
    std::string name;  // as asked for
    std::string key;   // the lower-cased LDAP name
    NameId id = kNoName;
  };
  std::vector<ResolvedName> resolved;
  std::vector<int32_t> syntaxOf;  // by attribute number; kUnknownSyntax until asked for

  static constexpr int32_t kUnknownSyntax = -1;
  static constexpr size_t kMostResolved = 64;

  void UseTree(std::unique_ptr<MemoryTree> loaded) {
    tree = std::move(loaded);
    lastObject.clear();
    lastEntry = nullptr;
    lastSpelledEntry = nullptr;
    resolved.clear();
    syntaxOf.clear();
  }

  const TreeEntry* Find(const std::string& object) {
    if (lastEntry == nullptr || object != lastObject) {
      lastEntry = lastSpelledEntry != nullptr && object == lastSpelledEntry->dotted()
                      ? lastSpelledEntry
                      : tree->Find(object);
      lastObject = object;
    }
    return lastEntry;
  }

  const ResolvedName& Resolve(const std::string& name) {
    for (const ResolvedName& known : resolved) {
      if (known.name == name) return known;
    }
    if (resolved.size() >= kMostResolved) resolved.clear();
    std::string key = tree->names().AttributeKey(name);
    const NameId id = tree->AttributeId(key);
    return resolved.emplace_back(ResolvedName{name, std::move(key), id});
  }

  int32_t SyntaxOf(NameId id) {
    if (id >= syntaxOf.size()) syntaxOf.resize(id + 1, kUnknownSyntax);
    if (syntaxOf[id] == kUnknownSyntax)
      syntaxOf[id] = tree->names().SyntaxOf(tree->AttributeKey(id));
    return syntaxOf[id];
  }

  // A name in a value is shown as its entry spells it, whatever the value writes. The entry of
  // a typeless name is kept, as the next read is often of the object that the value names (a
  // workstation's user); a typeless name finds its own entry and no other, while a typed one
  // may read otherwise when its values hold "=".
  NameSpelling Spelling() {
    return [this](std::string_view dn, NameForm form) {
      const TreeEntry* named = tree->FindDn(dn);
      if (!named) return WrittenNameSpelling(dn, form);
      if (form == NameForm::kTypeless) lastSpelledEntry = named;
      return NameOf(*named, form);
    };
  }

  // "file:line" of a line of the tree file.
  std::string Location(uint32_t line) const {
    return tree->fileName() + ":" + std::to_string(line);
  }

  std::string NameOf(const TreeEntry& entry, NameForm form) const {
    return std::string(form == NameForm::kTyped ? entry.typed() : entry.dotted());
  }

  // Adds attribute to a read under the name shown, its values converted. False when a value does
  // not fit the syntax: it ends the values as their fault, and no attribute follows.
  bool Read(const TreeAttribute& attribute, const std::string& shown, bool typed,
            const NameSpelling& spell, std::vector<ReadAttribute>& attributes) {
    ReadAttribute& read = attributes.emplace_back();
    read.name = shown;
    read.syntax = SyntaxOf(attribute.name);
    read.origin = tree->AttributeIndex(attribute);
    read.values.reserve(attribute.valueCount);  // a long member list is never copied to grow
    for (const TreeValue& raw : tree->ValuesOf(attribute)) {
      // The empty name holds the place of the member an empty group must have: no value.
      if (read.syntax == SYN_DIST_NAME && raw.size == 0) continue;
      auto value = ConvertValue(read.syntax, raw.text(), NameFormOf(typed), spell);
      if (!value) {
        read.fault =
            ValueFault{kErrSyntaxViolation, Location(raw.line) + ": " + QuotedValue(raw.text()) +
                                                " " + RefusalReason(read.syntax, raw.text())};
        return false;
      }
      read.values.push_back(std::move(*value));
    }
    return true;
  }
};

EmbeddedClient::EmbeddedClient(std::string path, std::map<std::string, std::string> overrides)
    : state_(std::make_unique<State>()) {
  state_->path = std::move(path);
  state_->overrides = std::move(overrides);
}

EmbeddedClient::~EmbeddedClient() = default;

// ---- start and stop ----------------------------------------------------------------------

int32_t EmbeddedClient::calStartup(int32_t, int32_t) {
  if (state_->tree) return kOk;
  try {
    state_->UseTree(MemoryTree::FromFile(state_->path, state_->overrides));
    state_->failure.clear();
    return kOk;
  } catch (const std::exception& e) {
    state_->failure = e.what();
    return kErrClientNotStarted;
  }
}

int32_t EmbeddedClient::calShutdown(int32_t) {
  ClearHandles();
  state_->UseTree(nullptr);
  return kOk;
}

std::string EmbeddedClient::StartupFailureReason() const {
  return state_->failure;
}

bool EmbeddedClient::Started() const {
  return state_->tree != nullptr;
}

int32_t EmbeddedClient::TreeName(std::string& name) {
  name = state_->tree->treeName();
  return kOk;
}

const SchemaNames& EmbeddedClient::Names() const {
  return state_->tree->names();
}

// ---- reads and searches ------------------------------------------------------------------

std::string EmbeddedClient::LocateValue(Context context, const std::string& object,
                                        const std::string& attribute, const std::string& value) {
  const std::optional<bool> typed = TypedNames(context);
  const TreeEntry* entry = typed ? state_->tree->Find(object) : nullptr;
  if (!entry) return {};
  const MemoryTree& tree = *state_->tree;
  const std::string key = tree.names().AttributeKey(attribute);
  const TreeAttribute* found = tree.FindAttribute(*entry, tree.AttributeId(key));
  if (!found) return {};
  const int32_t syntax = tree.names().SyntaxOf(key);
  for (const TreeValue& raw : tree.ValuesOf(*found)) {
    auto handedOut = ConvertValue(syntax, raw.text(), NameFormOf(*typed), state_->Spelling());
    if (handedOut && ValueAs<TextValue>(*handedOut).text == value)
      return state_->Location(raw.line);
  }
  return {};
}

int32_t EmbeddedClient::ReadObject(const std::string& object, bool allAttributes,
                                   const std::vector<std::string>& names, bool typed,
                                   std::vector<ReadAttribute>& attributes) {
  const MemoryTree& tree = *state_->tree;
  const TreeEntry* entry = state_->Find(object);
  if (!entry) return kErrNoSuchEntry;
  const NameSpelling spell = state_->Spelling();
  if (allAttributes) {
    for (const TreeAttribute& attribute : tree.AttributesOf(*entry)) {
      const std::string& key = tree.AttributeKey(attribute.name);
      if (!state_->Read(attribute, key, typed, spell, attributes)) break;
    }
    return kOk;
  }
  for (const std::string& name : names) {
    if (const TreeAttribute* attribute = tree.FindAttribute(*entry, state_->Resolve(name).id)) {
      if (!state_->Read(*attribute, name, typed, spell, attributes)) break;
    }
  }
  return kOk;
}

std::string EmbeddedClient::TooLargeDetail(uint32_t origin, size_t value, size_t replySize) const {
  const MemoryTree& tree = *state_->tree;
  const TreeValue& raw = tree.ValuesOf(tree.AttributeAt(origin))[value];
  return state_->Location(raw.line) + ": the value is " + std::to_string(raw.size) +
         " bytes long, too long for one " + std::to_string(replySize) + "-byte reply";
}

int32_t EmbeddedClient::FindObjects(const std::string& base, int32_t scope,
                                    const SearchFilter& filter, bool typed,
                                    std::vector<FoundObject>& found) {
  const MemoryTree& tree = *state_->tree;
  const TreeEntry* baseEntry = nullptr;  // none: the whole tree
  if (base != kRootName) {
    baseEntry = tree.Find(base);
    if (!baseEntry) return kErrNoSuchEntry;
  }
  const SearchFilter::TreeMatch matches(filter, tree);
  auto consider = [&](const TreeEntry& entry) {
    if (!tree.InScope(entry, baseEntry, scope) || !matches(entry)) return;
    found.push_back(FoundObject{state_->NameOf(entry, NameFormOf(typed)),
                                tree.names().ProgramClassName(tree.ClassKey(entry.baseClass))});
  };
  if (auto cls = filter.RequiredClass()) {
    for (uint32_t index : tree.OfClass(*cls)) consider(tree.entries()[index]);
  } else {
    for (const TreeEntry& entry : tree.entries()) consider(entry);
  }
  return kOk;
}

}  // namespace vorlix::directory
