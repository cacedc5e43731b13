#include "directory/ldap_entry_reader.h"

#include <unordered_map>

#include "directory/ranged_values.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

// Finds an entry's attributes by key while the entry is read: by a search through them while
// they are few, through a hash table once they are many (an entry may hold 100,000).
class AttributeFinder {
 public:
  explicit AttributeFinder(std::vector<LdapAttribute>& attributes) : attributes_(attributes) {}

  LdapAttribute& FindOrAdd(std::string name, std::string key) {
    if (byKey_.empty() && attributes_.size() < kHashFrom) {
      for (LdapAttribute& a : attributes_) {
        if (a.key == key) return a;
      }
    } else {
      if (byKey_.empty()) {
        for (size_t i = 0; i < attributes_.size(); ++i) byKey_.emplace(attributes_[i].key, i);
      }
      const auto [at, added] = byKey_.emplace(key, attributes_.size());
      if (!added) return attributes_[at->second];
    }
    attributes_.push_back(LdapAttribute{std::move(name), std::move(key), {}, std::nullopt});
    return attributes_.back();
  }

 private:
  static constexpr size_t kHashFrom = 16;
  std::vector<LdapAttribute>& attributes_;
  std::unordered_map<std::string, size_t> byKey_;
};

}  // namespace

EntryRead ReadEntry(LDAP* ld, LDAPMessage* message, LdapEntry& entry) {
  BerElement* ber = nullptr;
  berval dn{0, nullptr};
  if (ldap_get_dn_ber(ld, message, &ber, &dn) != LDAP_SUCCESS) {
    if (ber != nullptr) ber_free(ber, 0);
    return EntryRead::kNameBroken;
  }
  entry.dn.assign(dn.bv_val ? dn.bv_val : "", dn.bv_len);
  AttributeFinder finder(entry.attributes);
  bool whole = true;
  for (;;) {
    berval name{0, nullptr};
    berval* values = nullptr;
    if (ldap_get_attribute_ber(ld, message, ber, &name, &values) != LDAP_SUCCESS) {
      whole = false;
      break;
    }
    if (name.bv_val == nullptr) break;  // no attribute left
    std::string base(name.bv_val, name.bv_len);
    const std::optional<ValueRange> range = RangeOption(base);
    base.resize(base.find(';') == std::string::npos ? base.size() : base.find(';'));
    // Options such as ";binary" are dropped; their values join the attribute's own. A ";range="
    // part is completed when the whole result has come.
    std::string key = LowerCase(base);
    LdapAttribute& attribute = finder.FindOrAdd(std::move(base), std::move(key));
    for (berval* v = values; v != nullptr && v->bv_val != nullptr; ++v) {
      attribute.values.emplace_back(v->bv_val, v->bv_len);
    }
    if (range) attribute.range = range;
    ber_memfree(values);
  }
  ber_free(ber, 0);
  return whole ? EntryRead::kWhole : EntryRead::kAttributeBroken;
}

std::string BrokenEntryText(const LdapEntry& entry, EntryRead read) {
  if (read == EntryRead::kNameBroken) return "an entry whose name cannot be decoded";
  std::string text = "the entry \"" + entry.dn + "\", which cannot be decoded";
  if (!entry.attributes.empty()) text += " after its attribute " + entry.attributes.back().name;
  return text;
}

const LdapAttribute* LdapEntry::Find(const std::string& lowerName) const {
  for (const LdapAttribute& a : attributes) {
    if (a.key == lowerName) return &a;
  }
  return nullptr;
}

}  // namespace vorlix::directory
