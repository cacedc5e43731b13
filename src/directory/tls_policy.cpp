#include "directory/tls_policy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>
#include <ldap.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

#include "directory/ldap_connection.h"

namespace vorlix::directory {

namespace {

// libldap's text settings that a handle with a TLS context of its own must carry over from the
// process-wide ones (ldap.conf, ldaprc, LDAPTLS_*): the CAs and the client certificate.
constexpr int kCarriedSettings[] = {LDAP_OPT_X_TLS_CACERTFILE, LDAP_OPT_X_TLS_CACERTDIR,
                                    LDAP_OPT_X_TLS_CERTFILE, LDAP_OPT_X_TLS_KEYFILE};

// A StartTLS extended request with message id 1 (RFC 4511 4.14.1): the LDAP message sequence,
// the id, the extended request [APPLICATION 23] and its name [0] "1.3.6.1.4.1.1466.20037".
constexpr unsigned char kStartTlsRequest[] = {
    0x30, 0x1d, 0x02, 0x01, 0x01, 0x77, 0x18, 0x80, 0x16, '1', '.', '3', '.', '6', '.', '1',
    '.',  '4',  '.',  '1',  '.',  '1',  '4',  '6',  '6',  '.', '2', '0', '0', '3', '7'};

// The longest answer to that request this looks at; a real one has a few dozen bytes.
constexpr size_t kMaxAnswer = 4096;

std::optional<std::string> GlobalText(int option) {
  char* value = nullptr;
  if (ldap_get_option(nullptr, option, &value) != LDAP_OPT_SUCCESS || value == nullptr) {
    return std::nullopt;
  }
  std::string text(value);
  ldap_memfree(value);
  return text;
}

std::string DiagnosticOf(LDAP* ld) {
  char* text = nullptr;
  if (ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text) != LDAP_OPT_SUCCESS) return {};
  std::string result = text ? text : "";
  ldap_memfree(text);
  return result;
}

// An owned socket.
class Socket {
 public:
  explicit Socket(int fd = -1) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// A blocking TCP connection to host:port whose connect, reads and writes each end after timeout;
// -1 when none can be made.
int ConnectTcp(const std::string& host, int port, std::chrono::seconds timeout) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int connected = -1;
  for (addrinfo* a = found; a != nullptr && connected < 0; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    bool ok = connect(fd, a->ai_addr, a->ai_addrlen) == 0;
    if (!ok && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      int error = 0;
      socklen_t length = sizeof error;
      ok = poll(&p, 1, static_cast<int>(timeout.count() * 1000)) == 1 &&
           getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    if (ok) {
      timeval limit{static_cast<time_t>(timeout.count()), 0};
      ok = fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0 &&
           setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0 &&
           setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) == 0;
    }
    if (ok) {
      connected = fd;
    } else {
      close(fd);
    }
  }
  freeaddrinfo(found);
  return connected;
}

bool ReadFully(int fd, unsigned char* into, size_t size) {
  for (size_t done = 0; done < size;) {
    const ssize_t n = read(fd, into + done, size - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Sends the StartTLS request on fd and reads one LDAP message back; the result code of the
// extended response, or nullopt when what came back is no LDAP message.
std::optional<int> StartTlsExchange(int fd) {
  if (write(fd, kStartTlsRequest, sizeof kStartTlsRequest) !=
      static_cast<ssize_t>(sizeof kStartTlsRequest)) {
    return std::nullopt;
  }
  // The sequence tag, then the length: one byte, or 0x8n and n bytes.
  unsigned char head[2];
  if (!ReadFully(fd, head, 2) || head[0] != 0x30) return std::nullopt;
  size_t length = head[1];
  std::vector<unsigned char> message(head, head + 2);
  if (head[1] & 0x80) {
    const size_t bytes = head[1] & 0x7f;
    if (bytes == 0 || bytes > 2) return std::nullopt;
    unsigned char more[2];
    if (!ReadFully(fd, more, bytes)) return std::nullopt;
    message.insert(message.end(), more, more + bytes);
    length = bytes == 1 ? more[0] : (size_t{more[0]} << 8 | more[1]);
  }
  if (length > kMaxAnswer) return std::nullopt;
  const size_t header = message.size();
  message.resize(header + length);
  if (!ReadFully(fd, message.data() + header, length)) return std::nullopt;

  berval bytes{static_cast<ber_len_t>(message.size()), reinterpret_cast<char*>(message.data())};
  BerElement* ber = ber_init(&bytes);
  if (ber == nullptr) return std::nullopt;
  ber_int_t id = 0;
  ber_int_t code = 0;
  const ber_tag_t tag = ber_scanf(ber, "{i{e", &id, &code);
  ber_free(ber, 1);
  if (tag == LBER_ERROR || id != 1) return std::nullopt;
  return code;
}

// What a TLS handshake without any check brought: the server's certificates, leaf first, or why
// there was none.
struct Handshake {
  std::vector<std::vector<unsigned char>> certificates;
  std::string error;
};

Handshake ShakeHands(int fd, const std::string& host, std::chrono::seconds timeout) {
  Handshake result;
  gnutls_certificate_credentials_t credentials = nullptr;
  gnutls_session_t session = nullptr;
  gnutls_certificate_allocate_credentials(&credentials);
  gnutls_init(&session, GNUTLS_CLIENT);
  gnutls_set_default_priority(session);
  gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials);
  in6_addr address{};
  if (inet_pton(AF_INET, host.c_str(), &address) != 1 &&
      inet_pton(AF_INET6, host.c_str(), &address) != 1) {
    gnutls_server_name_set(session, GNUTLS_NAME_DNS, host.data(), host.size());
  }
  gnutls_transport_set_int(session, fd);
  gnutls_handshake_set_timeout(session, static_cast<unsigned>(timeout.count() * 1000));
  int r = 0;
  do {
    r = gnutls_handshake(session);
  } while (r < 0 && gnutls_error_is_fatal(r) == 0);
  if (r < 0) {
    result.error = gnutls_strerror(r);
  } else {
    unsigned count = 0;
    const gnutls_datum_t* list = gnutls_certificate_get_peers(session, &count);
    for (unsigned i = 0; list != nullptr && i < count; ++i) {
      result.certificates.emplace_back(list[i].data, list[i].data + list[i].size);
    }
    if (result.certificates.empty()) result.error = "the server showed no certificate";
  }
  gnutls_deinit(session);
  gnutls_certificate_free_credentials(credentials);
  return result;
}

struct CertificateDeleter {
  void operator()(gnutls_x509_crt_int* certificate) const { gnutls_x509_crt_deinit(certificate); }
};
using Certificate = std::unique_ptr<gnutls_x509_crt_int, CertificateDeleter>;

Certificate Import(const std::vector<unsigned char>& der) {
  gnutls_x509_crt_t raw = nullptr;
  if (gnutls_x509_crt_init(&raw) < 0) return nullptr;
  Certificate certificate(raw);
  const gnutls_datum_t datum{const_cast<unsigned char*>(der.data()),
                             static_cast<unsigned>(der.size())};
  if (gnutls_x509_crt_import(raw, &datum, GNUTLS_X509_FMT_DER) < 0) return nullptr;
  return certificate;
}

std::string UtcTime(time_t when) {
  tm parts{};
  gmtime_r(&when, &parts);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
  return text;
}

// The host names and addresses a certificate is issued for: its subject alternative names,
// else its common name.
std::string IssuedFor(gnutls_x509_crt_t certificate) {
  std::string names;
  for (unsigned i = 0;; ++i) {
    char buffer[256];
    size_t size = sizeof buffer;
    const int type = gnutls_x509_crt_get_subject_alt_name(certificate, i, buffer, &size, nullptr);
    if (type == GNUTLS_E_REQUESTED_DATA_NOT_AVAILABLE) break;
    std::string name;
    if (type == GNUTLS_SAN_DNSNAME) {
      name.assign(buffer, size);
    } else if (type == GNUTLS_SAN_IPADDRESS && (size == 4 || size == 16)) {
      char text[INET6_ADDRSTRLEN];
      if (inet_ntop(size == 4 ? AF_INET : AF_INET6, buffer, text, sizeof text)) name = text;
    }
    if (!name.empty()) names += (names.empty() ? "" : ", ") + name;
  }
  if (!names.empty()) return names;
  char cn[256];
  size_t size = sizeof cn;
  if (gnutls_x509_crt_get_dn_by_oid(certificate, GNUTLS_OID_X520_COMMON_NAME, 0, 0, cn, &size) ==
      0) {
    return std::string(cn, size);
  }
  return "no host name";
}

std::string IssuerOf(gnutls_x509_crt_t certificate) {
  char dn[1024];
  size_t size = sizeof dn;
  if (gnutls_x509_crt_get_issuer_dn(certificate, dn, &size) != 0) return "unknown";
  return std::string(dn, size);
}

constexpr char kNameTheCa[] = "name the CA with TLS_CACERT in ldap.conf or with LDAPTLS_CACERT";

// Whether the chain leads to a CA that libldap's settings name; nullopt when it does, else the
// problem.
std::optional<std::string> UntrustedCa(const std::vector<Certificate>& chain) {
  const std::optional<std::string> file = GlobalText(LDAP_OPT_X_TLS_CACERTFILE);
  const std::optional<std::string> dir = GlobalText(LDAP_OPT_X_TLS_CACERTDIR);
  if (!file && !dir) return std::string("no CA is named to check it against: ") + kNameTheCa;
  gnutls_x509_trust_list_t trusted = nullptr;
  gnutls_x509_trust_list_init(&trusted, 0);
  int loaded = 0;
  if (file) {
    loaded += std::max(0, gnutls_x509_trust_list_add_trust_file(trusted, file->c_str(), nullptr,
                                                                GNUTLS_X509_FMT_PEM, 0, 0));
  }
  if (dir) {
    loaded += std::max(0, gnutls_x509_trust_list_add_trust_dir(trusted, dir->c_str(), nullptr,
                                                               GNUTLS_X509_FMT_PEM, 0, 0));
  }
  std::vector<gnutls_x509_crt_t> list;
  for (const Certificate& c : chain) list.push_back(c.get());
  unsigned status = 0;
  const int r = gnutls_x509_trust_list_verify_crt(
      trusted, list.data(), static_cast<unsigned>(list.size()), 0, &status, nullptr);
  gnutls_x509_trust_list_deinit(trusted, 1);
  if (loaded == 0) {
    return "the CA " + std::string(file ? "file " + *file : "folder " + *dir) +
           " holds no certificate vorlix can read: " + kNameTheCa;
  }
  const unsigned signerProblems =
      GNUTLS_CERT_SIGNER_NOT_FOUND | GNUTLS_CERT_SIGNER_NOT_CA | GNUTLS_CERT_SIGNATURE_FAILURE;
  if (r < 0 || (status & signerProblems) != 0) {
    return "it is not signed by a CA that vorlix trusts (its issuer is \"" +
           IssuerOf(chain.front().get()) + "\"): " + kNameTheCa;
  }
  return std::nullopt;
}

// Everything wrong with the certificates a server showed for host, worst first.
std::vector<std::string> CertificateProblems(const Handshake& handshake, const std::string& host) {
  std::vector<Certificate> chain;
  for (const auto& der : handshake.certificates) {
    Certificate certificate = Import(der);
    if (!certificate) return {"the server's certificate cannot be read"};
    chain.push_back(std::move(certificate));
  }
  gnutls_x509_crt_t leaf = chain.front().get();
  std::vector<std::string> problems;
  const time_t now = time(nullptr);
  if (const time_t expires = gnutls_x509_crt_get_expiration_time(leaf); expires < now) {
    problems.push_back("it expired on " + UtcTime(expires));
  }
  if (const time_t begins = gnutls_x509_crt_get_activation_time(leaf); begins > now) {
    problems.push_back("it is valid only from " + UtcTime(begins));
  }
  if (gnutls_x509_crt_check_hostname2(leaf, host.c_str(), 0) == 0) {
    problems.push_back("it is issued for " + IssuedFor(leaf) + ", not for " + host);
  }
  if (std::optional<std::string> ca = UntrustedCa(chain)) problems.push_back(std::move(*ca));
  return problems;
}

// Whether the server at address answers an LDAP request sent without TLS.
bool AnswersPlainLdap(const LdapAddress& address, std::chrono::seconds timeout) {
  Socket socket(ConnectTcp(address.host, address.port, timeout));
  return socket.get() >= 0 && StartTlsExchange(socket.get()).has_value();
}

}  // namespace

bool ApplyTlsPolicy(LDAP* ld, bool verify, std::string& error) {
  for (const int option : kCarriedSettings) {
    const std::optional<std::string> value = GlobalText(option);
    if (value && ldap_set_option(ld, option, value->c_str()) != LDAP_OPT_SUCCESS) {
      error = "libldap does not take the TLS setting \"" + *value + "\"";
      return false;
    }
  }
  const int require = verify ? LDAP_OPT_X_TLS_HARD : LDAP_OPT_X_TLS_NEVER;
  // The host name is checked against the subject alternative names when there are any, else
  // against the common name.
  const int names = LDAP_OPT_X_TLS_TRY;
  const int client = 0;
  if (ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &require) != LDAP_OPT_SUCCESS ||
      ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_SAN, &names) != LDAP_OPT_SUCCESS ||
      ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &client) != LDAP_OPT_SUCCESS) {
    const std::string diagnostic = DiagnosticOf(ld);
    const std::optional<std::string> file = GlobalText(LDAP_OPT_X_TLS_CACERTFILE);
    error = "the TLS settings cannot be used" +
            (file ? " (is the CA file " + *file + " readable?)" : std::string()) +
            (diagnostic.empty() ? "" : ": " + diagnostic);
    return false;
  }
  return true;
}

bool HasClientCertificate() {
  return GlobalText(LDAP_OPT_X_TLS_CERTFILE).has_value() &&
         GlobalText(LDAP_OPT_X_TLS_KEYFILE).has_value();
}

std::string ExplainTlsFailure(const LdapAddress& address, bool startTls,
                              std::chrono::seconds timeout, const std::string& what,
                              const std::string& libldapSays) {
  const std::string& hostPort = address.hostPort;
  Socket socket(ConnectTcp(address.host, address.port, timeout));
  if (socket.get() < 0) return what + ": cannot reach the server at " + hostPort;
  if (startTls) {
    const std::optional<int> code = StartTlsExchange(socket.get());
    if (!code) return what + ": the server at " + hostPort + " does not answer as an LDAP server";
    if (*code != LDAP_SUCCESS) {
      return what + ": the server at " + hostPort + " does not offer StartTLS (" +
             ldap_err2string(*code) + ")";
    }
  }
  const Handshake handshake = ShakeHands(socket.get(), address.host, timeout);
  if (!handshake.error.empty()) {
    if (!startTls && AnswersPlainLdap(address, timeout)) {
      return what + ": the server at " + hostPort +
             " answers plain LDAP, not TLS: use ldap:// with starttls=yes, or the port where the "
             "server takes ldaps://";
    }
    return what + ": the TLS handshake with " + hostPort + " failed: " + handshake.error;
  }
  const std::vector<std::string> problems = CertificateProblems(handshake, address.host);
  if (problems.empty()) {
    return what + ": the TLS connection to " + hostPort + " failed (" + libldapSays +
           "), though the server's certificate passes the checks of CA, host name and dates: the "
           "server may have dropped the connection, or libldap's settings (TLS_CRLFILE) refuse "
           "the certificate";
  }
  std::string message = what + ": the TLS connection to " + hostPort +
                        " failed: the server's certificate was not accepted";
  for (size_t i = 0; i < problems.size(); ++i) message += (i == 0 ? ": " : "; ") + problems[i];
  return message + ".";
}

}  // namespace vorlix::directory
