#pragma once
// SASL binds whose credentials come from outside vorlix, so that nothing is asked for: GSSAPI
// takes the user's Kerberos ticket (kinit), EXTERNAL the client certificate of the TLS
// connection. libldap runs them with the Cyrus SASL library and its mechanism modules.

#include <string>

typedef struct ldap LDAP;  // NOLINT: libldap's own declaration

namespace vorlix::directory {

enum class SaslMechanism { kGssapi, kExternal };

// Whether the connection is already protected by TLS. A Kerberos bind inside TLS adds no
// security layer of its own, which Active Directory refuses there.
enum class Transport { kPlain, kTls };

// Binds ld with mechanism; libldap's result code, and in diagnostic what the server or the SASL
// library said about a failure. GSSAPI asks for the service of the host as the URL names it.
int SaslBind(LDAP* ld, SaslMechanism mechanism, Transport transport, std::string& diagnostic);

}  // namespace vorlix::directory
