#include "directory/ldap_connection.h"

#include <ldap.h>

#include <memory>

#include "directory/client_codes.h"
#include "directory/handshake_watchdog.h"
#include "directory/ldap_handles.h"
#include "directory/sasl_bind.h"
#include "directory/socket_read_ahead.h"
#include "directory/tls_policy.h"

namespace vorlix::directory {

namespace {

// The largest message taken from a server: a declared length beyond it is refused before any
// memory is set aside for it.
constexpr ber_len_t kMaxMessageBytes = 256u << 20;

}  // namespace

LdapConnection::~LdapConnection() {
  Close();
}

bool LdapConnection::Fail(int32_t code, std::string message) {
  failure_ = LdapFailure{code, std::move(message)};
  return false;
}

bool LdapConnection::FailWith(int ldapResult, const std::string& diagnostic,
                              const std::string& what) {
  const int32_t code = ClientCodeOfLdapResult(ldapResult);
  const bool noConnection = ldapResult == LDAP_SERVER_DOWN || ldapResult == LDAP_CONNECT_ERROR;
  if (noConnection && (settings_.address.secure || settings_.startTls)) {
    return Fail(
        code, ExplainTlsFailure(settings_.address, settings_.startTls && !settings_.address.secure,
                                settings_.timeout, what, DescriptionOf(ldapResult)));
  }
  return Fail(code, LdapFailureText(what, ldapResult, diagnostic));
}

bool LdapConnection::Open(const LdapSettings& settings) {
  settings_ = settings;
  return Connect() && Bind();
}

bool LdapConnection::Reopen() {
  Close();
  return Connect() && Bind();
}

bool LdapConnection::Connect() {
  Close();
  const std::string where = "Connecting to " + settings_.address.hostPort;
  int r = ldap_initialize(&ld_, settings_.address.serverUri.c_str());
  if (r != LDAP_SUCCESS) {
    ld_ = nullptr;
    return FailWith(r, "", where);
  }
  const int version = LDAP_VERSION3;
  timeval timeout{static_cast<time_t>(settings_.timeout.count()), 0};
  ldap_set_option(ld_, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(ld_, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ldap_set_option(ld_, LDAP_OPT_RESTART, LDAP_OPT_ON);
  ldap_set_option(ld_, LDAP_OPT_NETWORK_TIMEOUT, &timeout);
  ldap_set_option(ld_, LDAP_OPT_TIMEOUT, &timeout);
  callbacks_ = std::make_unique<ldap_conncb>(ldap_conncb{OnConnected, OnClosed, &watchdog_});
  ldap_set_option(ld_, LDAP_OPT_CONNECT_CB, callbacks_.get());

  const bool startTls = settings_.startTls && !settings_.address.secure;
  const bool tls = startTls || settings_.address.secure;
  if (std::string error; tls && !ApplyTlsPolicy(ld_, settings_.tlsVerify, error)) {
    Close();
    return Fail(kErrTransportFailure, where + ": " + error);
  }

  // Connect now (and secure the connection), under the watchdog.
  bool timedOut = false;
  {
    HandshakeWatchdog watchdog(settings_.timeout);
    watchdog_ = &watchdog;
    r = ldap_connect(ld_);
    if (r == LDAP_SUCCESS && startTls) r = ldap_start_tls_s(ld_, nullptr, nullptr);
    watchdog_ = nullptr;
    timedOut = watchdog.Fired();
  }
  if (r == LDAP_SUCCESS) {
    if (tls && !settings_.tlsVerify) {
      notices_.push_back("The certificate of the server at " + settings_.address.hostPort +
                         " is not checked (tls_verify=no): whoever sits between vorlix and the "
                         "server can read and change what passes.");
    }
    Sockbuf* sb = nullptr;
    ber_len_t maxMessage = kMaxMessageBytes;
    if (ldap_get_option(ld_, LDAP_OPT_SOCKBUF, &sb) == LDAP_OPT_SUCCESS && sb != nullptr) {
      ber_sockbuf_ctrl(sb, LBER_SB_OPT_SET_MAX_INCOMING, &maxMessage);
      ReadAhead(sb);
    }
    return true;
  }
  const std::string diagnostic = DiagnosticOf(ld_);
  Close();
  const std::string what = startTls ? where + " with StartTLS" : where;
  if (timedOut || r == LDAP_TIMEOUT) {
    return Fail(kErrTransportFailure, what + ": " + TimeoutText(Silence::kNoAnswer));
  }
  return FailWith(r, diagnostic, what);
}

bool LdapConnection::Bind() {
  if (settings_.bind != BindMethod::kSimple) return BindSasl();
  if (settings_.bindDn.empty()) return true;  // anonymous: operations need no bind
  const std::string what = "Binding as " + settings_.bindDn;
  if (settings_.password.empty()) {
    // An empty password would make an unauthenticated bind, which servers take as anonymous.
    return Fail(kErrFailedAuthentication, what + ": no password was given");
  }
  if (!settings_.address.secure && !settings_.startTls && !clearPasswordTold_) {
    clearPasswordTold_ = true;
    notices_.push_back("The password for " + settings_.bindDn + " travels unencrypted to " +
                       settings_.address.hostPort + ": use ldaps:// or starttls=yes.");
  }
  berval credentials{static_cast<ber_len_t>(settings_.password.size()), settings_.password.data()};
  int id = -1;
  int r = ldap_sasl_bind(ld_, settings_.bindDn.c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr,
                         nullptr, &id);
  if (r != LDAP_SUCCESS) {
    const std::string diagnostic = DiagnosticOf(ld_);
    Close();
    return FailWith(r, diagnostic, what);
  }
  timeval timeout{static_cast<time_t>(settings_.timeout.count()), 0};
  LDAPMessage* raw = nullptr;
  r = ldap_result(ld_, id, LDAP_MSG_ALL, &timeout, &raw);
  MessagePtr message(raw);
  if (r <= 0) {
    const int code = r == 0 ? LDAP_TIMEOUT : ResultCodeOf(ld_);
    Close();
    if (code == LDAP_TIMEOUT) {
      return Fail(kErrTransportFailure, what + ": " + TimeoutText(Silence::kNoAnswer));
    }
    return FailWith(code, "", what);
  }
  int code = LDAP_OTHER;
  char* diagnostic = nullptr;
  ldap_parse_result(ld_, message.get(), &code, nullptr, &diagnostic, nullptr, nullptr, 0);
  const std::string text = Text(diagnostic);
  ldap_memfree(diagnostic);
  if (code != LDAP_SUCCESS) {
    Close();
    return FailWith(code, text, what);
  }
  return true;
}

bool LdapConnection::BindSasl() {
  const bool external = settings_.bind == BindMethod::kExternal;
  const bool tls = settings_.address.secure || settings_.startTls;
  const std::string what = external ? "Binding with the client certificate (bind=external)"
                                    : "Binding with Kerberos (bind=gssapi)";
  if (external && (!tls || !HasClientCertificate())) {
    Close();
    return Fail(kErrFailedAuthentication,
                what + ": it needs " +
                    (tls ? "" : "a TLS connection (ldaps:// or starttls=yes) and ") +
                    "a client certificate: name it and its key with LDAPTLS_CERT and "
                    "LDAPTLS_KEY, or with TLS_CERT and TLS_KEY in ~/.ldaprc");
  }
  std::string diagnostic;
  const int r = SaslBind(ld_, external ? SaslMechanism::kExternal : SaslMechanism::kGssapi,
                         tls ? Transport::kTls : Transport::kPlain, diagnostic);
  if (r == LDAP_SUCCESS) return true;
  Close();
  const int32_t code = ClientCodeOfLdapResult(r);
  if (code == kErrTransportFailure) return FailWith(r, diagnostic, what);
  // The SASL library's own failures (no ticket, no mechanism module) are failed binds too.
  std::string message = LdapFailureText(what + " to " + settings_.address.hostPort, r, diagnostic);
  if (!external && r == LDAP_LOCAL_ERROR) message += " (a Kerberos ticket comes from kinit)";
  return Fail(kErrFailedAuthentication, message);
}

std::string LdapConnection::TimeoutText(Silence silence) const {
  return "the server at " + settings_.address.hostPort +
         (silence == Silence::kUnfinishedAnswer ? " did not finish its answer within "
                                                : " did not answer within ") +
         std::to_string(settings_.timeout.count()) + " seconds";
}

void LdapConnection::Close() {
  if (ld_ != nullptr) ldap_unbind_ext_s(ld_, nullptr, nullptr);
  ld_ = nullptr;
}

}  // namespace vorlix::directory
