#pragma once
// Decodes an entry of a search result from libldap's message.

#include <ldap.h>

#include <string>

#include "directory/ldap_entry.h"

namespace vorlix::directory {

enum class EntryRead { kWhole, kNameBroken, kAttributeBroken };

// Reads an entry of a search result straight from the message, without copies of its parts.
// When it cannot be decoded, entry holds what was read before the fault.
EntryRead ReadEntry(LDAP* ld, LDAPMessage* message, LdapEntry& entry);

// What an entry that cannot be decoded is said to be: the entry it names, as far as it was read.
std::string BrokenEntryText(const LdapEntry& entry, EntryRead read);

}  // namespace vorlix::directory
