#include "directory/ldap_connection.h"

#include <fcntl.h>
#include <ldap.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "directory/client_codes.h"
#include "directory/ldap_names.h"
#include "directory/ranged_values.h"
#include "directory/sasl_bind.h"
#include "directory/socket_read_ahead.h"
#include "directory/tls_policy.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

// Ends a connection attempt that outlasts its time: libldap bounds the TCP connect, but a server
// that accepts and then never answers would hold the TLS handshake forever. Once the limit has
// passed, the socket is shut down, which makes the handshake fail.
class HandshakeWatchdog {
 public:
  explicit HandshakeWatchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (wake_.wait_for(lock, limit, [this] { return done_; })) return;
          if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
          fired_ = true;
        }) {}
  ~HandshakeWatchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
    if (fd_ >= 0) close(fd_);
  }
  HandshakeWatchdog(const HandshakeWatchdog&) = delete;
  HandshakeWatchdog& operator=(const HandshakeWatchdog&) = delete;

  // The socket to shut down; a duplicate is kept, so the number stays ours whatever libldap does.
  void Watch(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0) fd_ = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  }
  bool Fired() {
    std::lock_guard<std::mutex> lock(mutex_);
    return fired_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool fired_ = false;
  int fd_ = -1;
  std::thread thread_;  // last: it starts once the rest is made
};

namespace {

// The largest message taken from a server: a declared length beyond it is refused before any
// memory is set aside for it.
constexpr ber_len_t kMaxMessageBytes = 256u << 20;

struct UrlDeleter {
  void operator()(LDAPURLDesc* url) const { ldap_free_urldesc(url); }
};
struct MessageDeleter {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using MessagePtr = std::unique_ptr<LDAPMessage, MessageDeleter>;

std::string Text(const char* text) {
  return text ? std::string(text) : std::string();
}

std::string DescriptionOf(int ldapResult) {
  return Text(ldap_err2string(ldapResult)) + " (" + std::to_string(ldapResult) + ")";
}

// The LDAP server's diagnostic message of the last failure on ld, if any.
std::string DiagnosticOf(LDAP* ld) {
  char* text = nullptr;
  if (ld == nullptr ||
      ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text) != LDAP_OPT_SUCCESS) {
    return {};
  }
  std::string result = Text(text);
  ldap_memfree(text);
  return result;
}

int ResultCodeOf(LDAP* ld) {
  int code = LDAP_OTHER;
  ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
  return code;
}

bool IsLimit(int code) {
  return code == LDAP_SIZELIMIT_EXCEEDED || code == LDAP_TIMELIMIT_EXCEEDED ||
         code == LDAP_ADMINLIMIT_EXCEEDED;
}

// Whether a first page that failed before any entry came may have failed because the server
// will not page this search (OpenLDAP: adminLimitExceeded, "pagedResults control not allowed").
bool RefusesPaging(int code) {
  return code == LDAP_UNAVAILABLE_CRITICAL_EXTENSION || code == LDAP_UNWILLING_TO_PERFORM ||
         code == LDAP_PROTOCOL_ERROR || code == LDAP_NOT_SUPPORTED ||
         code == LDAP_ADMINLIMIT_EXCEEDED;
}

// libldap's connection callback: hands a new connection's socket to the watchdog, if one watches.
int OnConnected(LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb* callbacks) {
  auto* watchdog = *static_cast<HandshakeWatchdog**>(callbacks->lc_arg);
  int fd = -1;
  if (watchdog != nullptr && ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1 && fd >= 0) {
    watchdog->Watch(fd);
  }
  return 0;
}

void OnClosed(LDAP*, Sockbuf*, ldap_conncb*) {}

// Finds an entry's attributes by key while the entry is read: by a search through them while
// they are few, through a hash table once they are many (an entry may hold 100,000).
class AttributeFinder {
 public:
  explicit AttributeFinder(std::vector<LdapAttribute>& attributes) : attributes_(attributes) {}

  LdapAttribute& FindOrAdd(std::string name, std::string key) {
    if (byKey_.empty() && attributes_.size() < kHashFrom) {
      for (LdapAttribute& a : attributes_) {
        if (a.key == key) return a;
      }
    } else {
      if (byKey_.empty()) {
        for (size_t i = 0; i < attributes_.size(); ++i) byKey_.emplace(attributes_[i].key, i);
      }
      const auto [at, added] = byKey_.emplace(key, attributes_.size());
      if (!added) return attributes_[at->second];
    }
    attributes_.push_back(LdapAttribute{std::move(name), std::move(key), {}, std::nullopt});
    return attributes_.back();
  }

 private:
  static constexpr size_t kHashFrom = 16;
  std::vector<LdapAttribute>& attributes_;
  std::unordered_map<std::string, size_t> byKey_;
};

enum class EntryRead { kWhole, kNameBroken, kAttributeBroken };

// Reads an entry of a search result straight from the message, without copies of its parts.
// When it cannot be decoded, entry holds what was read before the fault.
EntryRead ReadEntry(LDAP* ld, LDAPMessage* message, LdapEntry& entry) {
  BerElement* ber = nullptr;
  berval dn{0, nullptr};
  if (ldap_get_dn_ber(ld, message, &ber, &dn) != LDAP_SUCCESS) {
    if (ber != nullptr) ber_free(ber, 0);
    return EntryRead::kNameBroken;
  }
  entry.dn.assign(dn.bv_val ? dn.bv_val : "", dn.bv_len);
  AttributeFinder finder(entry.attributes);
  bool whole = true;
  for (;;) {
    berval name{0, nullptr};
    berval* values = nullptr;
    if (ldap_get_attribute_ber(ld, message, ber, &name, &values) != LDAP_SUCCESS) {
      whole = false;
      break;
    }
    if (name.bv_val == nullptr) break;  // no attribute left
    std::string base(name.bv_val, name.bv_len);
    const std::optional<ValueRange> range = RangeOption(base);
    base.resize(base.find(';') == std::string::npos ? base.size() : base.find(';'));
    // Options such as ";binary" are dropped; their values join the attribute's own. A ";range="
    // part is completed when the whole result has come.
    std::string key = LowerCase(base);
    LdapAttribute& attribute = finder.FindOrAdd(std::move(base), std::move(key));
    for (berval* v = values; v != nullptr && v->bv_val != nullptr; ++v) {
      attribute.values.emplace_back(v->bv_val, v->bv_len);
    }
    if (range) attribute.range = range;
    ber_memfree(values);
  }
  ber_free(ber, 0);
  return whole ? EntryRead::kWhole : EntryRead::kAttributeBroken;
}

// What an entry that cannot be decoded is said to be: the entry it names, as far as it was read.
std::string BrokenEntryText(const LdapEntry& entry, EntryRead read) {
  if (read == EntryRead::kNameBroken) return "an entry whose name cannot be decoded";
  std::string text = "the entry \"" + entry.dn + "\", which cannot be decoded";
  if (!entry.attributes.empty()) text += " after its attribute " + entry.attributes.back().name;
  return text;
}

timeval TimevalOf(std::chrono::steady_clock::duration left) {
  const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
  return timeval{static_cast<time_t>(micro / 1000000), static_cast<suseconds_t>(micro % 1000000)};
}

// A host name (letters, digits, "-", "_" and dots), an IPv4 address, or an IPv6 address as
// libldap gives it without its brackets. libldap takes anything between "//" and the port; what
// it takes beyond these could not be written back into the server address that is connected to.
bool IsHostName(const std::string& host) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::all_of(host.begin(), host.end(), [ipv6](char c) {
    const auto u = static_cast<unsigned char>(c);
    return ipv6 ? std::isxdigit(u) || c == ':' || c == '.'
                : std::isalnum(u) || c == '-' || c == '_' || c == '.';
  });
}

}  // namespace

std::optional<LdapAddress> ParseLdapAddress(const std::string& url, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<LdapAddress> {
    if (error) *error = "Malformed LDAP URL \"" + url + "\": " + why;
    return std::nullopt;
  };
  LDAPURLDesc* raw = nullptr;
  const int r = ldap_url_parse(url.c_str(), &raw);
  std::unique_ptr<LDAPURLDesc, UrlDeleter> parsed(raw);
  if (r != LDAP_URL_SUCCESS) {
    return fail(r == LDAP_URL_ERR_BADSCHEME
                    ? "it must begin with ldap:// or ldaps://"
                    : "it does not follow RFC 4516 (code " + std::to_string(r) + ")");
  }
  const std::string scheme = LowerCase(Text(parsed->lud_scheme));
  if (scheme != "ldap" && scheme != "ldaps") return fail("it must begin with ldap:// or ldaps://");
  if (Text(parsed->lud_host).empty()) return fail("it names no server");
  if (parsed->lud_port < 0 || parsed->lud_port > 65535) return fail("its port is out of range");
  if (parsed->lud_attrs != nullptr || parsed->lud_filter != nullptr ||
      parsed->lud_exts != nullptr || url.find('?') != std::string::npos) {
    return fail("give only the server and the base, as in ldap://host:389/o=acme");
  }
  if (!IsHostName(Text(parsed->lud_host)))
    return fail("its server \"" + Text(parsed->lud_host) + "\" is no host name or IP address");
  LdapAddress address;
  address.secure = scheme == "ldaps";
  address.host = Text(parsed->lud_host);
  address.port = parsed->lud_port != 0 ? parsed->lud_port : (address.secure ? 636 : 389);
  const bool ipv6 = address.host.find(':') != std::string::npos;
  address.hostPort =
      (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
  address.serverUri = scheme + "://" + address.hostPort;
  address.base = Text(parsed->lud_dn);
  return address;
}

int32_t ClientCodeOfLdapResult(int ldapResult) {
  switch (ldapResult) {
    case LDAP_SUCCESS:
      return kOk;
    case LDAP_NO_SUCH_OBJECT:
      return kErrNoSuchEntry;
    case LDAP_NO_SUCH_ATTRIBUTE:
      return kErrNoSuchAttribute;
    case LDAP_INVALID_CREDENTIALS:
    case LDAP_INAPPROPRIATE_AUTH:
    case LDAP_STRONG_AUTH_REQUIRED:
      return kErrFailedAuthentication;
    case LDAP_INSUFFICIENT_ACCESS:
    case LDAP_UNWILLING_TO_PERFORM:
    case LDAP_CONFIDENTIALITY_REQUIRED:
      return kErrNoAccess;
    case LDAP_SIZELIMIT_EXCEEDED:
    case LDAP_TIMELIMIT_EXCEEDED:
    case LDAP_ADMINLIMIT_EXCEEDED:
      return kErrListIncomplete;
    case LDAP_SERVER_DOWN:
    case LDAP_TIMEOUT:
    case LDAP_CONNECT_ERROR:
    case LDAP_BUSY:
    case LDAP_UNAVAILABLE:
      return kErrTransportFailure;
    case LDAP_INVALID_DN_SYNTAX:
    case LDAP_FILTER_ERROR:
    case LDAP_UNDEFINED_TYPE:
    case LDAP_INAPPROPRIATE_MATCHING:
    case LDAP_INVALID_SYNTAX:
    case LDAP_PARAM_ERROR:
    case LDAP_PROTOCOL_ERROR:
      return kErrInvalidRequest;
    default:
      return kErrRemoteFailure;
  }
}

std::string ReferredTo(const std::vector<std::string>& referrals) {
  if (referrals.empty()) return "another server";
  return referrals.front() +
         (referrals.size() > 1 ? " (and " + std::to_string(referrals.size() - 1) + " more)" : "");
}

const LdapAttribute* LdapEntry::Find(const std::string& lowerName) const {
  for (const LdapAttribute& a : attributes) {
    if (a.key == lowerName) return &a;
  }
  return nullptr;
}

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
  std::string message = what + ": " + DescriptionOf(ldapResult);
  if (!diagnostic.empty() && diagnostic != ldap_err2string(ldapResult)) {
    message += ": " + diagnostic;
  }
  return Fail(code, message);
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
    return Fail(kErrTransportFailure, what + ": the server did not answer within " +
                                          std::to_string(settings_.timeout.count()) + " seconds");
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
      return Fail(kErrTransportFailure, what + ": the server at " + settings_.address.hostPort +
                                            " did not answer within " +
                                            std::to_string(settings_.timeout.count()) + " seconds");
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
  std::string message = what + " to " + settings_.address.hostPort + ": " + DescriptionOf(r);
  if (!diagnostic.empty()) message += ": " + diagnostic;
  if (!external && r == LDAP_LOCAL_ERROR) message += " (a Kerberos ticket comes from kinit)";
  return Fail(kErrFailedAuthentication, message);
}

void LdapConnection::Close() {
  if (ld_ != nullptr) ldap_unbind_ext_s(ld_, nullptr, nullptr);
  ld_ = nullptr;
}

namespace {

// The attribute list of a search as libldap takes it.
class AttributeList {
 public:
  explicit AttributeList(const std::vector<std::string>& names) {
    for (const std::string& name : names) pointers_.push_back(const_cast<char*>(name.c_str()));
    pointers_.push_back(nullptr);
  }
  char** get() { return pointers_.size() > 1 ? pointers_.data() : nullptr; }

 private:
  std::vector<char*> pointers_;
};

}  // namespace

Deadline LdapConnection::NewDeadline() const {
  return std::chrono::steady_clock::now() + settings_.timeout;
}

int LdapConnection::Send(const LdapSearch& search, const PageRequest* page) {
  if (ld_ == nullptr && !Reopen()) return -1;
  AttributeList attributes(search.attributes);
  LDAPControl* control = nullptr;
  if (page != nullptr) {
    std::string cookie = page->cookie;
    berval value{static_cast<ber_len_t>(cookie.size()), cookie.data()};
    const int r =
        ldap_create_page_control(ld_, page->size, cookie.empty() ? nullptr : &value, 0, &control);
    if (r != LDAP_SUCCESS) {
      FailWith(r, "", "Searching " + search.base);
      return -1;
    }
  }
  LDAPControl* controls[] = {control, nullptr};
  int id = -1;
  ++requests_;
  const int r =
      ldap_search_ext(ld_, search.base.c_str(), search.scope, search.filter.c_str(),
                      attributes.get(), 0, control ? controls : nullptr, nullptr, nullptr, 0, &id);
  if (control != nullptr) ldap_control_free(control);
  if (r != LDAP_SUCCESS) {
    const std::string diagnostic = DiagnosticOf(ld_);
    if (ClientCodeOfLdapResult(r) == kErrTransportFailure) Close();
    FailWith(r, diagnostic, "Searching " + search.base);
    return -1;
  }
  return id;
}

void LdapConnection::Abandon(int messageId) {
  if (ld_ != nullptr) ldap_abandon_ext(ld_, messageId, nullptr, nullptr);
}

bool LdapConnection::FailLate(int messageId, bool answered) {
  Abandon(messageId);
  Close();
  return Fail(kErrTransportFailure,
              "The server at " + settings_.address.hostPort +
                  (answered ? " did not finish its answer within " : " did not answer within ") +
                  std::to_string(settings_.timeout.count()) + " seconds");
}

bool LdapConnection::Collect(int messageId, LdapResult& result, Deadline deadline,
                             size_t maxEntries) {
  result = LdapResult{};
  if (ld_ == nullptr) return Fail(kErrTransportFailure, "The connection to the server was lost");
  bool answered = false;
  for (;;) {
    // Whatever has come for the search so far, in one chain; waits for at least one message, but
    // not past the deadline, however slowly the messages come.
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return FailLate(messageId, answered);
    timeval timeout = TimevalOf(left);
    LDAPMessage* raw = nullptr;
    const int type = ldap_result(ld_, messageId, LDAP_MSG_RECEIVED, &timeout, &raw);
    MessagePtr chain(raw);
    if (type == 0) return FailLate(messageId, answered);
    if (type < 0) {
      const int code = ResultCodeOf(ld_);
      const std::string diagnostic = DiagnosticOf(ld_);
      Close();
      return FailWith(code, diagnostic, "Reading from " + settings_.address.hostPort);
    }
    answered = true;
    for (LDAPMessage* message = ldap_first_message(ld_, chain.get()); message != nullptr;
         message = ldap_next_message(ld_, message)) {
      switch (TakeMessage(message, result)) {
        case Taken::kDone:
          return CompleteRanges(result.entries, deadline);
        case Taken::kBroken:
          Abandon(messageId);
          return false;
        case Taken::kMore:
          break;
      }
      if (result.entries.size() > maxEntries) {
        result.entries.resize(maxEntries);
        result.truncated = true;
        Abandon(messageId);
        return true;
      }
    }
  }
}

LdapConnection::Taken LdapConnection::TakeMessage(LDAPMessage* message, LdapResult& result) {
  const auto from = [this] { return "The server at " + settings_.address.hostPort + " sent "; };
  switch (ldap_msgtype(message)) {
    case LDAP_RES_SEARCH_ENTRY: {
      LdapEntry& entry = result.entries.emplace_back();
      const EntryRead read = ReadEntry(ld_, message, entry);
      if (read == EntryRead::kWhole) return Taken::kMore;
      Fail(kErrRemoteFailure, from() + BrokenEntryText(entry, read));
      return Taken::kBroken;
    }
    case LDAP_RES_SEARCH_REFERENCE: {
      char** urls = nullptr;
      if (ldap_parse_reference(ld_, message, &urls, nullptr, 0) != LDAP_SUCCESS) {
        Fail(kErrRemoteFailure, from() + "a search reference that cannot be decoded");
        return Taken::kBroken;
      }
      for (char** u = urls; u != nullptr && *u != nullptr; ++u) result.referrals.emplace_back(*u);
      ber_memvfree(reinterpret_cast<void**>(urls));
      return Taken::kMore;
    }
    case LDAP_RES_SEARCH_RESULT:
      break;
    default:
      return Taken::kMore;
  }
  char* diagnostic = nullptr;
  char** urls = nullptr;
  LDAPControl** controls = nullptr;
  if (ldap_parse_result(ld_, message, &result.resultCode, nullptr, &diagnostic, &urls, &controls,
                        0) != LDAP_SUCCESS) {
    Fail(kErrRemoteFailure, from() + "a search result that cannot be decoded");
    return Taken::kBroken;
  }
  result.diagnostic = Text(diagnostic);
  ldap_memfree(diagnostic);
  for (char** u = urls; u != nullptr && *u != nullptr; ++u) result.referrals.emplace_back(*u);
  ber_memvfree(reinterpret_cast<void**>(urls));
  bool broken = false;
  if (controls != nullptr) {
    LDAPControl* paged = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls, nullptr);
    if (paged != nullptr) {
      ber_int_t estimate = 0;
      berval cookie{0, nullptr};
      // A control that cannot be read would end paging early: the list would be short. One
      // without a value is refused before libldap reads it (which would abort the program).
      broken = paged->ldctl_value.bv_val == nullptr ||
               ldap_parse_pageresponse_control(ld_, paged, &estimate, &cookie) != LDAP_SUCCESS;
      if (!broken) {
        result.pageCookie.assign(cookie.bv_val ? cookie.bv_val : "", cookie.bv_len);
        result.paged = true;
        ber_memfree(cookie.bv_val);
      }
    }
    ldap_controls_free(controls);
  }
  if (broken) {
    Fail(kErrRemoteFailure, from() + "a paged-results control that cannot be decoded");
    return Taken::kBroken;
  }
  return Taken::kDone;
}

bool LdapConnection::SearchPages(const LdapSearch& search, int pageSize,
                                 std::vector<LdapEntry>& entries, LdapResult& last,
                                 Deadline deadline) {
  PageRequest page{pageSize, {}};
  PageWatch watch;
  std::unordered_set<std::string> seen;  // a server may send an entry again; it is taken once
  std::vector<std::string> referred;
  for (;;) {
    const int id = Send(search, pageSize > 0 ? &page : nullptr);
    if (id < 0 || !Collect(id, last, deadline, search.maxEntries - entries.size())) return false;
    if (last.truncated) {
      return Fail(kErrListIncomplete,
                  "Searching " + search.base + ": the server sent more than " +
                      std::to_string(search.maxEntries) +
                      " entries, the most one search may return; the list is incomplete. Search "
                      "for a longer name.");
    }
    size_t fresh = 0;
    for (LdapEntry& entry : last.entries) {
      if (!seen.insert(entry.dn).second) continue;
      entries.push_back(std::move(entry));
      ++fresh;
    }
    last.entries.clear();
    // The references of every page, not only of the last.
    referred.insert(referred.end(), last.referrals.begin(), last.referrals.end());
    if (last.resultCode != LDAP_SUCCESS || pageSize == 0 || !last.paged ||
        last.pageCookie.empty()) {
      last.referrals = std::move(referred);
      return true;
    }
    if (std::optional<std::string> stuck = watch.Check(page.cookie, fresh, last.pageCookie)) {
      return Fail(kErrRemoteFailure, "Searching " + search.base + ": " + *stuck);
    }
    page.cookie = last.pageCookie;
  }
}

bool LdapConnection::CompleteRanges(std::vector<LdapEntry>& entries, Deadline deadline) {
  // The parts are read with Collect too; their own results are left to this loop.
  if (completingRanges_) return true;
  completingRanges_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{completingRanges_};
  const RangeFetch fetch = [this, deadline](const std::string& dn, const std::string& description,
                                            LdapEntry& reply) {
    LdapSearch search;
    search.base = dn;
    search.attributes = {description};
    LdapResult part;
    const int id = Send(search);
    if (id < 0 || !Collect(id, part, deadline, 1)) return false;
    if (part.resultCode != LDAP_SUCCESS) {
      return FailWith(part.resultCode, part.diagnostic, "Reading " + description + " of " + dn);
    }
    reply = part.entries.empty() ? LdapEntry{} : std::move(part.entries.front());
    return true;
  };
  std::string why;
  switch (CompleteRangedValues(entries, fetch, why)) {
    case RangeOutcome::kComplete:
      return true;
    case RangeOutcome::kFetchFailed:
      return false;
    case RangeOutcome::kBrokenAnswer:
      break;
  }
  return Fail(kErrRemoteFailure, why);
}

void LdapConnection::SetNamingContexts(const std::vector<std::string>& dns) {
  namingContextKeys_.clear();
  for (const std::string& dn : dns) {
    if (std::optional<std::string> key = DnKey(dn)) namingContextKeys_.push_back(std::move(*key));
  }
}

bool LdapConnection::OnlyNamingContexts(const std::vector<std::string>& urls) const {
  for (const std::string& url : urls) {
    LDAPURLDesc* raw = nullptr;
    const int r = ldap_url_parse(url.c_str(), &raw);
    std::unique_ptr<LDAPURLDesc, UrlDeleter> parsed(raw);
    const std::optional<std::string> key =
        r == LDAP_URL_SUCCESS ? DnKey(Text(parsed->lud_dn)) : std::nullopt;
    if (!key || std::find(namingContextKeys_.begin(), namingContextKeys_.end(), *key) ==
                    namingContextKeys_.end()) {
      return false;
    }
  }
  return true;
}

void LdapConnection::NoteUnfollowed(const std::vector<std::string>& urls) {
  for (const std::string& url : urls) {
    // Where a reference points, without the scope and filter it adds ("??base"): searches of
    // every scope then name the same place once.
    const std::string place = url.substr(0, url.find('?'));
    if (std::find(unfollowed_.begin(), unfollowed_.end(), place) == unfollowed_.end()) {
      unfollowed_.push_back(place);
    }
  }
}

std::vector<std::string> LdapConnection::TakeNotices() {
  // At most this many URLs are listed; the rest are counted.
  constexpr size_t kListed = 5;
  std::vector<std::string> notices = std::move(notices_);
  notices_.clear();
  if (!unfollowed_.empty()) {
    std::string urls;
    for (size_t i = 0; i < unfollowed_.size() && i < kListed; ++i) {
      urls += (i == 0 ? "" : ", ") + unfollowed_[i];
    }
    if (unfollowed_.size() > kListed) {
      urls += " and " + std::to_string(unfollowed_.size() - kListed) + " more";
    }
    notices.push_back("Not searched: the server refers other parts of the directory to " + urls +
                      ", and referrals are not followed.");
    unfollowed_.clear();
  }
  return notices;
}

bool LdapConnection::SearchAll(const LdapSearch& search, std::vector<LdapEntry>& entries,
                               Deadline deadline) {
  entries.clear();
  LdapResult last;
  int pageSize = pageSize_;
  for (;;) {
    if (!SearchPages(search, pageSize, entries, last, deadline)) return false;
    // A first page refused before any entry came: smaller pages, then none. What works is kept
    // for the searches that follow.
    if (pageSize == 0 || !RefusesPaging(last.resultCode) || !entries.empty()) break;
    pageSize = SmallerPageSize(pageSize);
  }
  if (!RefusesPaging(last.resultCode) || !entries.empty()) pageSize_ = pageSize;
  // Referrals are not followed. A search the server sends elsewhere as a whole has no list. The
  // references beside the entries (continuation references) name other parts of the directory:
  // the entries that came are the list, and the user is told what was not searched. Only when
  // nothing came and a reference leads to more than another naming context of this server may
  // the entries asked for lie behind it: then the list is incomplete.
  const bool behindReference = last.resultCode == LDAP_SUCCESS && !last.referrals.empty() &&
                               entries.empty() && !OnlyNamingContexts(last.referrals);
  if (last.resultCode == LDAP_REFERRAL || behindReference) {
    return Fail(kErrListIncomplete,
                "The server refers " +
                    std::string(last.resultCode == LDAP_REFERRAL ? "the" : "part of the") +
                    " search below " + search.base + " to " + ReferredTo(last.referrals) +
                    "; referrals are not followed, so the list is incomplete");
  }
  if (last.resultCode == LDAP_SUCCESS) NoteUnfollowed(last.referrals);
  if (last.resultCode == LDAP_SUCCESS) return true;
  // An administrative limit that lets no entry through is a refusal, told as the server words it.
  if (IsLimit(last.resultCode) &&
      (last.resultCode != LDAP_ADMINLIMIT_EXCEEDED || !entries.empty())) {
    const char* limit = last.resultCode == LDAP_TIMELIMIT_EXCEEDED   ? "time"
                        : last.resultCode == LDAP_SIZELIMIT_EXCEEDED ? "size"
                                                                     : "administrative";
    return Fail(kErrListIncomplete,
                "The server's " + std::string(limit) + " limit ended the search after " +
                    std::to_string(entries.size()) +
                    " entries: the list is incomplete. Search for a longer name." +
                    (last.diagnostic.empty() ? "" : " (" + last.diagnostic + ")"));
  }
  return FailWith(last.resultCode, last.diagnostic, "Searching " + search.base);
}

}  // namespace vorlix::directory
