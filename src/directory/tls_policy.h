#pragma once
// TLS as vorlix uses it. The server's certificate is always checked: libldap's own settings
// (ldap.conf, ldaprc, LDAPTLS_*) may name the CAs and a client certificate, but never turn the
// check off; only vorlix's own configuration can (tls_verify=no). When a TLS connection fails,
// a second look at the server says why: an unknown CA, a certificate for another host name, an
// expired certificate, or a server that speaks plain LDAP on the port.

#include <chrono>
#include <string>

#include "directory/directory_source.h"

typedef struct ldap LDAP;  // NOLINT: libldap's own declaration

namespace vorlix::directory {

struct LdapAddress;

// Gives the handle ld (not yet connected) its own TLS settings: the CAs and the client
// certificate that libldap's settings name, the certificate check on (and the host name checked
// against the certificate's names) when verify, or off. False with the reason in error when libldap
// refuses them (an unreadable CA file, say).
bool ApplyTlsPolicy(LDAP* ld, bool verify, std::string& error);

// Whether libldap's settings name a client certificate and its key (TLS_CERT, TLS_KEY).
bool HasClientCertificate();

// Why a TLS connection to address (ldaps://, or StartTLS when startTls) failed, for the user,
// after `what` ("Connecting to host:port"); libldapSays is libldap's own word for the failure,
// told when the server's certificate shows nothing wrong. Looks at the server again within
// timeout per step; sends no credentials.
std::string ExplainTlsFailure(const LdapAddress& address, bool startTls,
                              std::chrono::seconds timeout, const std::string& what,
                              const std::string& libldapSays);

}  // namespace vorlix::directory
