#pragma once
// Names between the LDAP client and the server. The program names objects with dotted names,
// which drop the attribute types of a DN; the LDAP client needs them back. It remembers the DN of
// every entry the server has shown it, under the entry's name key, and for a name it has not seen
// it guesses: the base DN's types for the components that spell the base, "cn" for the leftmost
// component, "ou" for the others ("o" for the rightmost when the name lies outside the base).
// Remembered DNs also give the entry's own spelling of a DN that a value writes otherwise.

#include <absl/container/flat_hash_map.h>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/dotted_name.h"
#include "directory/text_arena.h"

namespace vorlix::directory {

// An RFC 4514 DN of components (leftmost first), the values escaped.
std::string LdapDnString(const std::vector<NameComponent>& components);

// The name key of a DN in any spelling (letter case, escapes, blanks around separators);
// nullopt when it is no DN.
std::optional<std::string> DnKey(std::string_view dn);

// A DN the server has shown, with its typeless dotted spelling. The texts live in the book that
// handed the name out, until it is cleared.
struct KnownName {
  std::string_view dn;
  std::string_view dotted;
  std::string_view key;  // its name key
};

class NameBook {
 public:
  explicit NameBook(const std::string& baseDn = "");

  // An entry's own DN, as the server spelled it; what is now known under its key (stored in key
  // when given). nullptr for a string that is no DN.
  const KnownName* Remember(const std::string& dn, std::string* key = nullptr);
  // Remember for a DN that is most likely new (an entry as it arrives): the same outcome, without
  // first looking for the spelling.
  const KnownName* RememberNew(const std::string& dn);
  // The remembered entry of a name key, of a DN in any spelling, or of a dotted name (as
  // written, then without "type=" prefixes); nullptr when none is remembered.
  const KnownName* Find(std::string_view key) const;
  const KnownName* FindDn(std::string_view dn) const;
  // The remembered entry of a DN spelled exactly as an entry's own DN was; no parsing.
  const KnownName* FindSpelling(std::string_view dn) const;
  const KnownName* FindDotted(const std::string& dotted) const;
  // The DNs a dotted name not remembered may stand for, the likeliest first: the name's own
  // types when every component has one, then the guess; then the same for the name read as
  // earlier versions spelled backslashes (DotEscapes). Never empty.
  std::vector<std::string> Guesses(const std::string& dotted) const;
  // The remembered DN of a dotted name, else its first guess.
  std::string DnOf(const std::string& dotted) const;
  // Forgets every remembered DN.
  void Clear();
  size_t size() const { return byKey_.size(); }

 private:
  // Adds the DNs that the component values may stand for, the likeliest first, to guesses.
  void AddGuesses(const std::vector<std::string>& raw, std::vector<std::string>& guesses) const;

  // Texts looked up by view in open-addressing tables, the texts and the records kept in blocks:
  // a name costs no allocation of its own, neither when it is remembered nor when it is dropped.
  using ViewMap = absl::flat_hash_map<std::string_view, KnownName*>;

  std::vector<NameComponent> base_;
  std::deque<KnownName> names_;  // the records, which stay put
  ViewMap byKey_;                // name key -> its record
  // The records of the exact spellings met most: the entry's DN, its typeless dotted name. Saves
  // parsing them again.
  ViewMap byDn_, byDotted_;
  TextArena spellings_;
};

}  // namespace vorlix::directory
