#pragma once
// How the LDAP client finds the entry of a dotted name: among the entries fetched ahead, by a
// read under each DN the name may stand for, or level by level below the base.

#include <string>
#include <vector>

#include "directory/ldap_session.h"

namespace vorlix::directory {

class NameResolution {
 public:
  explicit NameResolution(LdapSession& session) : s_(session) {}

  // Reads one entry alone. kOk with the server's result code, or the client code of a failure.
  int32_t ReadOne(const std::string& dn, const std::vector<std::string>& attributes,
                  LdapEntry& entry, int& resultCode);
  // The DN of a dotted name found level by level below the base (or a naming context) it ends
  // in; kErrNoSuchEntry when there is none.
  int32_t Walk(const std::string& dotted, std::string& dn);
  // The entry of a dotted name with (at least) the attributes keys (all of them with all):
  // fetched ahead, else read alone under each DN the name may stand for, else found level by level.
  int32_t EntryOf(const std::string& object, const std::vector<std::string>& keys, bool all,
                  LdapEntry& direct, const LdapEntry*& entry, std::string& entryKey);

 private:
  LdapSession& s_;
};

}  // namespace vorlix::directory
