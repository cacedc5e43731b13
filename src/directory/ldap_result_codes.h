#pragma once
// LDAP result codes as the client reports them, and the texts that describe them.

#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::directory {

// The client's result code for an LDAP result code (0 for success).
int32_t ClientCodeOfLdapResult(int ldapResult);

// Where referrals point, for messages: the first URL, and how many more there are.
std::string ReferredTo(const std::vector<std::string>& referrals);

}  // namespace vorlix::directory
