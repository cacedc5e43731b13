#include "directory/sasl_bind.h"

#include <ldap.h>
#include <sasl/sasl.h>

#include <cstring>

namespace vorlix::directory {

namespace {

// Answers each question of the SASL library with its default (for GSSAPI: no authorization
// identity of its own); the credentials come from the ticket cache or the TLS connection.
int AnswerWithDefaults(LDAP*, unsigned, void*, void* questions) {
  for (auto* q = static_cast<sasl_interact_t*>(questions);
       q != nullptr && q->id != SASL_CB_LIST_END; ++q) {
    const char* answer = q->defresult != nullptr ? q->defresult : "";
    q->result = answer;
    q->len = static_cast<unsigned>(std::strlen(answer));
  }
  return LDAP_SUCCESS;
}

}  // namespace

int SaslBind(LDAP* ld, SaslMechanism mechanism, Transport transport, std::string& diagnostic) {
  const char* name = mechanism == SaslMechanism::kGssapi ? "GSSAPI" : "EXTERNAL";
  if (mechanism == SaslMechanism::kGssapi) {
    // The service is the one of the host named in the URL, not of a name found for its address
    // (libldap takes the local host's name for any address of the loopback device).
    ldap_set_option(ld, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    if (transport == Transport::kTls) ldap_set_option(ld, LDAP_OPT_X_SASL_SECPROPS, "maxssf=0");
  }
  const int r = ldap_sasl_interactive_bind_s(ld, nullptr, name, nullptr, nullptr, LDAP_SASL_QUIET,
                                             AnswerWithDefaults, nullptr);
  if (r != LDAP_SUCCESS) {
    char* text = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text) == LDAP_OPT_SUCCESS &&
        text != nullptr) {
      diagnostic = text;
    }
    ldap_memfree(text);
  }
  return r;
}

}  // namespace vorlix::directory
