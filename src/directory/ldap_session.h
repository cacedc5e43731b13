#pragma once
// What the parts of the LDAP client share: the connection, the entries fetched ahead, the
// schema's names, the names the server has shown, and the deadline and failure of the operation
// under way.

#include <string>
#include <unordered_map>
#include <vector>

#include "directory/entry_fetcher.h"
#include "directory/ldap_connection.h"
#include "directory/ldap_names.h"
#include "directory/schema_names.h"

namespace vorlix::directory {

struct LdapSession {
  LdapConnection connection;
  EntryFetcher fetcher{connection};
  SchemaNames names;
  NameBook book;
  std::vector<std::string> roots;  // what "[root]" stands for: the base, or the naming contexts
  LdapFailure last;                // the failure behind the last error code handed out
  Deadline deadline;               // of the operation under way
  std::unordered_map<std::string, std::string> keys;  // program name -> key

  // Keeps failure as the last one; its code.
  int32_t Failed(const LdapFailure& failure);
  // The lower-cased LDAP name, under the schema's first name, of a program's attribute name.
  // The program asks for the same few names again and again: each is mapped once.
  const std::string& KeyOf(const std::string& programName);
  // The attribute key of entry, under whichever of its names the server used.
  const LdapAttribute* FindAttribute(const LdapEntry& entry, const std::string& key) const;
};

}  // namespace vorlix::directory
