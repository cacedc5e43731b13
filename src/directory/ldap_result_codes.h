#pragma once
// LDAP result codes as the client reports them, and the texts that describe them.

#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::directory {

// The client's result code for an LDAP result code (0 for success).
int32_t ClientCodeOfLdapResult(int ldapResult);

// The one form of an LDAP failure: what was being done, the code's description and number, and
// the server's diagnostic when it adds to the description:
// "Reading cn=x,o=acme: Insufficient access (50): no read access".
std::string LdapFailureText(const std::string& what, int ldapResult, const std::string& diagnostic);

// Where referrals point, for messages: the first URL, and how many more there are.
std::string ReferredTo(const std::vector<std::string>& referrals);

}  // namespace vorlix::directory
