#include "directory/ldap_session.h"

namespace vorlix::directory {

int32_t LdapSession::Failed(const LdapFailure& failure) {
  last = failure;
  return failure.code;
}

const std::string& LdapSession::KeyOf(const std::string& programName) {
  auto known = keys.find(programName);
  if (known == keys.end()) {
    known = keys.emplace(programName, names.CanonicalKey(names.AttributeKey(programName))).first;
  }
  return known->second;
}

const LdapAttribute* LdapSession::FindAttribute(const LdapEntry& entry,
                                                const std::string& key) const {
  for (const LdapAttribute& a : entry.attributes) {
    if (a.key == key) return &a;
  }
  for (const LdapAttribute& a : entry.attributes) {  // under another of its names
    if (names.CanonicalKey(a.key) == key) return &a;
  }
  return nullptr;
}

}  // namespace vorlix::directory
