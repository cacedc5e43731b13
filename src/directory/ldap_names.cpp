#include "directory/ldap_names.h"

#include <algorithm>
#include <cctype>

#include "platform/case_fold.h"

namespace vorlix::directory {

namespace {

// A "type=" prefix of a dotted component: an attribute type (letters, digits, hyphens, starting
// with a letter) before the first "=".
std::optional<NameComponent> TypedComponent(const std::string& raw) {
  const size_t eq = raw.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 >= raw.size()) return std::nullopt;
  if (!std::isalpha(static_cast<unsigned char>(raw[0]))) return std::nullopt;
  for (size_t i = 0; i < eq; ++i) {
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    if (!std::isalnum(c) && c != '-') return std::nullopt;
  }
  return NameComponent{raw.substr(0, eq), raw.substr(eq + 1)};
}

}  // namespace

std::string LdapDnString(const std::vector<NameComponent>& components) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string dn;
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) dn += ',';
    dn += components[i].type + "=";
    const std::string& value = components[i].value;
    for (size_t k = 0; k < value.size(); ++k) {
      const unsigned char c = static_cast<unsigned char>(value[k]);
      const bool edgeBlank = c == ' ' && (k == 0 || k + 1 == value.size());
      if (c == 0 || edgeBlank) {
        dn += '\\';
        dn += kHex[c >> 4];
        dn += kHex[c & 0x0F];
      } else if (c == '"' || c == '+' || c == ',' || c == ';' || c == '<' || c == '>' ||
                 c == '\\' || c == '=' || (c == '#' && k == 0)) {
        dn += '\\';
        dn += static_cast<char>(c);
      } else {
        dn += static_cast<char>(c);
      }
    }
  }
  return dn;
}

std::optional<std::string> DnKey(std::string_view dn) {
  auto components = ParseLdapDn(dn, nullptr);
  if (!components) return std::nullopt;
  return ComponentsKey(*components);
}

NameBook::NameBook(const std::string& baseDn) {
  if (auto components = ParseLdapDn(baseDn, nullptr)) base_ = std::move(*components);
}

const KnownName* NameBook::Remember(const std::string& dn, std::string* key) {
  const KnownName* known = FindSpelling(dn);
  if (!known) known = RememberNew(dn);
  if (known && key) *key = known->key;
  return known;
}

const KnownName* NameBook::RememberNew(const std::string& dn) {
  auto components = ParseLdapDn(dn, nullptr);
  if (!components || components->empty()) return nullptr;
  const std::string key = ComponentsKey(*components);
  auto at = byKey_.find(key);
  if (at == byKey_.end()) {
    KnownName& added = names_.emplace_back();
    added.key = spellings_.Copy(key);
    at = byKey_.emplace(added.key, &added).first;
  } else if (at->second->dn == dn || FindSpelling(dn)) {
    return at->second;  // met in this spelling before (a name new to the book never was)
  }
  KnownName& known = *at->second;
  known.dn = spellings_.Copy(dn);
  const std::string dotted = DottedName(*components, NameForm::kTypeless);
  if (auto spelled = byDotted_.find(dotted); spelled != byDotted_.end()) {
    known.dotted = spelled->first;
    spelled->second = &known;
  } else {
    known.dotted = spellings_.Copy(dotted);
    byDotted_.emplace(known.dotted, &known);
  }
  byDn_.emplace(known.dn, &known);
  return &known;
}

void NameBook::Clear() {
  byKey_.clear();
  byDn_.clear();
  byDotted_.clear();
  names_.clear();
  spellings_ = TextArena();
}

const KnownName* NameBook::Find(std::string_view key) const {
  auto it = byKey_.find(key);
  return it == byKey_.end() ? nullptr : it->second;
}

const KnownName* NameBook::FindSpelling(std::string_view dn) const {
  auto spelled = byDn_.find(dn);
  return spelled == byDn_.end() ? nullptr : spelled->second;
}

const KnownName* NameBook::FindDn(std::string_view dn) const {
  if (const KnownName* known = FindSpelling(dn)) return known;
  auto key = DnKey(dn);
  return key ? Find(*key) : nullptr;
}

const KnownName* NameBook::FindDotted(const std::string& dotted) const {
  if (auto spelled = byDotted_.find(dotted); spelled != byDotted_.end()) return spelled->second;
  for (const DotEscapes escapes : {DotEscapes::kCurrent, DotEscapes::kEarlier}) {
    if (escapes == DotEscapes::kEarlier && !ReadsOtherwiseEarlier(dotted)) break;
    if (const KnownName* known = Find(NameKey(SplitDottedName(dotted, TypePrefix::kKept, escapes))))
      return known;
    if (dotted.find('=') == std::string::npos) continue;  // no "type=" to drop
    if (const KnownName* known =
            Find(NameKey(SplitDottedName(dotted, TypePrefix::kDropped, escapes))))
      return known;
  }
  return nullptr;
}

std::string NameBook::DnOf(const std::string& dotted) const {
  const KnownName* known = FindDotted(dotted);
  return known ? std::string(known->dn) : Guesses(dotted).front();
}

std::vector<std::string> NameBook::Guesses(const std::string& dotted) const {
  std::vector<std::string> guesses;
  AddGuesses(SplitDottedName(dotted, TypePrefix::kKept), guesses);
  // A name spelled as earlier versions spelled backslashes: its DNs after the likelier ones.
  if (ReadsOtherwiseEarlier(dotted)) {
    AddGuesses(SplitDottedName(dotted, TypePrefix::kKept, DotEscapes::kEarlier), guesses);
  }
  return guesses;
}

void NameBook::AddGuesses(const std::vector<std::string>& raw,
                          std::vector<std::string>& guesses) const {
  const size_t first = guesses.size();
  const auto add = [&](std::string dn) {
    if (std::find(guesses.begin() + static_cast<std::ptrdiff_t>(first), guesses.end(), dn) ==
        guesses.end()) {
      guesses.push_back(std::move(dn));
    }
  };

  // Typed: every component names its type.
  std::vector<NameComponent> typed;
  for (const std::string& component : raw) {
    if (auto c = TypedComponent(component)) typed.push_back(std::move(*c));
  }
  if (typed.size() == raw.size()) add(LdapDnString(typed));

  // Typeless: the base's types where the name ends in the base, else the usual ones.
  const size_t n = raw.size();
  bool inBase = !base_.empty() && n >= base_.size();
  for (size_t i = 0; inBase && i < base_.size(); ++i) {
    inBase = platform::EqualFolded(raw[n - base_.size() + i], base_[i].value);
  }
  const size_t firstOfBase = inBase ? n - base_.size() : n;
  std::vector<NameComponent> guess;
  for (size_t i = 0; i < n; ++i) {
    std::string type = i >= firstOfBase        ? base_[i - firstOfBase].type
                       : !inBase && i + 1 == n ? "o"
                       : i == 0                ? "cn"
                                               : "ou";
    guess.push_back(NameComponent{std::move(type), raw[i]});
  }
  add(LdapDnString(guess));
}

}  // namespace vorlix::directory
