#pragma once
// A generated tree for the tests of long lookups and exports: group "Everyone" with `members`
// users user00000, user00001, ... (each with a phone), and group "Nearly Everyone" with the same
// members and, sorted last, one that does not exist, so that its lookup fails on the last row.

#include <cstdio>
#include <fstream>
#include <string>

namespace vorlix::testing {

inline std::string GeneratedUser(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "user%05d", index);
  return name;
}

// Writes the tree to `path` as LDIF and returns `path`.
inline std::string WriteGeneratedTree(const std::string& path, int members) {
  std::ofstream out(path);
  out << "version: 1\n\ndn:\ndirectoryTreeName: GENERATED\n\n"
      << "dn: o=gen\nobjectClass: organization\no: gen\n\n";
  for (int i = 0; i < members; ++i) {
    const std::string user = GeneratedUser(i);
    out << "dn: cn=" << user << ",o=gen\nobjectClass: inetOrgPerson\ncn: " << user
        << "\nsn: User\ntelephoneNumber: 555-" << i << "\n\n";
  }
  for (const bool broken : {false, true}) {
    const std::string group = broken ? "Nearly Everyone" : "Everyone";
    out << "dn: cn=" << group << ",o=gen\nobjectClass: groupOfNames\ncn: " << group
        << "\ndescription: Generated users\n";
    // In reverse: the lookup sorts them.
    for (int i = members - 1; i >= 0; --i) out << "member: cn=" << GeneratedUser(i) << ",o=gen\n";
    if (broken) out << "member: cn=zz-gone,o=gen\n";
    out << "\n";
  }
  return path;
}

}  // namespace vorlix::testing
