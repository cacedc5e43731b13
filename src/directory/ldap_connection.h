#pragma once
// One connection to an LDAP server over libldap: connecting with a timeout, TLS (ldaps:// or
// StartTLS, the certificate always checked against the CAs that libldap's settings name;
// tls_policy.h), a simple, anonymous, Kerberos (GSSAPI) or client-certificate (EXTERNAL) bind,
// and searches sent without waiting, so that many can be in flight, whose results are then
// collected one request at a time. Collecting ends at a deadline that bounds a whole operation,
// however slowly the server trickles its answer, and takes no more entries than the caller can
// use. Values that come in ranges are read whole (ranged_values.h). Referrals are never chased.
// Failures carry the client's result code and a text for the user; what the user should know
// besides (a check that is off, a password sent in clear, references not followed) is kept as
// notices.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "directory/directory_source.h"
#include "directory/ldap_address.h"
#include "directory/ldap_entry.h"
#include "directory/ldap_paging.h"
#include "directory/ldap_result_codes.h"

typedef struct ldap LDAP;            // NOLINT: libldap's own declarations
typedef struct ldapmsg LDAPMessage;  // NOLINT
struct ldap_conncb;

namespace vorlix::directory {

class HandshakeWatchdog;

// When an operation must be done: its start plus the timeout.
using Deadline = std::chrono::steady_clock::time_point;

struct LdapSettings {
  LdapAddress address;
  bool startTls = false;
  std::chrono::seconds timeout{10};  // connecting, and each whole operation
  std::string bindDn;                // empty: anonymous
  std::string password;
  BindMethod bind = BindMethod::kSimple;
  bool tlsVerify = true;  // false only by an explicit tls_verify=no
};

// A failed LDAP call: the client's code for it and what the user is told.
struct LdapFailure {
  int32_t code = 0;
  std::string message;
};

// The most entries a search returns unless it says otherwise: far more groups than anybody picks
// from, and few enough that a server sending entries without end cannot exhaust the memory.
inline constexpr size_t kMaxSearchEntries = 100000;

struct LdapSearch {
  std::string base;
  int scope = 0;  // 0 base, 1 one level, 2 subtree
  std::string filter = "(objectClass=*)";
  std::vector<std::string> attributes;    // empty: all user attributes; {"1.1"}: none
  size_t maxEntries = kMaxSearchEntries;  // more is an error (SearchAll)
};

// One page of a paged search: its size and the cookie of the page before (empty for the first).
struct PageRequest {
  int size = kFirstPageSize;
  std::string cookie;
};

// The outcome of one search (all of its pages).
struct LdapResult {
  int resultCode = 0;  // the server's, or libldap's for a local failure
  std::string diagnostic;
  std::vector<LdapEntry> entries;
  std::vector<std::string> referrals;
  bool paged = false;      // the server answered the paged-results control
  std::string pageCookie;  // where the next page starts; empty after the last
  bool truncated = false;  // more entries came than were taken; the request was abandoned
};

class LdapConnection {
 public:
  LdapConnection() = default;
  ~LdapConnection();
  LdapConnection(const LdapConnection&) = delete;
  LdapConnection& operator=(const LdapConnection&) = delete;

  // Connects, secures and binds. False with failure() set.
  bool Open(const LdapSettings& settings);
  void Close();
  bool IsOpen() const { return ld_ != nullptr; }
  // Connects again after the connection broke (server restarted); false with failure() set.
  bool Reopen();

  // The deadline of an operation that starts now.
  Deadline NewDeadline() const;

  // Sends a search without waiting, as one page when page is given; its message id, or -1 with
  // failure() set.
  int Send(const LdapSearch& search, const PageRequest* page = nullptr);
  // Waits for the whole result of a sent search, taking at most maxEntries entries: one more
  // abandons the request and marks the result truncated. False with failure() set when the
  // connection failed, an entry or the result could not be decoded (the failure names the entry),
  // or the deadline passed before the result was complete (then the connection is closed); a
  // result code of the server's own is not a failure here. Values of the entries that came in
  // ranges are read whole.
  bool Collect(int messageId, LdapResult& result, Deadline deadline, size_t maxEntries);
  // Drops a sent search whose result is no longer wanted.
  void Abandon(int messageId);

  // A whole search before the deadline, page by page (the paged-results control, not critical;
  // smaller pages when the server refuses the size, no pages when it refuses them all). A server
  // result other than success is a failure; a size or time limit, a referral for the whole search,
  // or references where nothing else came and the entries asked for may lie behind them, is
  // kErrListIncomplete (entries keeps what came). References beside entries that came are kept
  // for TakeNotices. More than search.maxEntries entries, or pages that make no progress, are a
  // failure.
  bool SearchAll(const LdapSearch& search, std::vector<LdapEntry>& entries, Deadline deadline);

  // The page size that searches use: it starts at kFirstPageSize and shrinks for a server that
  // refuses larger pages; 0 when the server takes no paged search at all.
  int PageSize() const { return pageSize_; }

  // The naming contexts the server holds (its root DSE's namingContexts). A continuation
  // reference to one of them names another part of the directory, not entries of the search.
  void SetNamingContexts(const std::vector<std::string>& dns);
  // What the user should be told that is no failure, each once, since the last call: the
  // certificate check that is off (every connection), the password sent in clear (once), the
  // references that searches did not follow (one line for all of them).
  std::vector<std::string> TakeNotices();

  const LdapFailure& failure() const { return failure_; }
  const LdapSettings& settings() const { return settings_; }
  // Requests sent since the connection object was made (searches and their pages).
  size_t RequestsSent() const { return requests_; }

 private:
  bool Connect();
  bool Bind();
  bool BindSasl();
  bool Fail(int32_t code, std::string message);
  enum class Silence { kNoAnswer, kUnfinishedAnswer };
  // What the user is told of a wait that outlived the timeout: "the server at host:port did not
  // answer within 10 seconds", or "did not finish its answer" once some of it came.
  std::string TimeoutText(Silence silence) const;
  // The failure for a libldap or server result code, with the server's diagnostic when it gave
  // one; `what` says what was being done.
  bool FailWith(int ldapResult, const std::string& diagnostic, const std::string& what);
  bool SearchPages(const LdapSearch& search, int pageSize, std::vector<LdapEntry>& entries,
                   LdapResult& last, Deadline deadline);
  enum class Taken { kMore, kDone, kBroken };
  // Takes one message of a search into result: kDone for the one that ends the search, kBroken
  // with failure() set for one that cannot be decoded.
  Taken TakeMessage(LDAPMessage* message, LdapResult& result);
  // The failure of a search that outlived its deadline; `answered`: some of its answer came.
  bool FailLate(int messageId, bool answered);
  // Asks for the values that ranged attributes of entries left at the server, before the
  // deadline. False with failure() set when they cannot be had.
  bool CompleteRanges(std::vector<LdapEntry>& entries, Deadline deadline);
  bool OnlyNamingContexts(const std::vector<std::string>& urls) const;
  void NoteUnfollowed(const std::vector<std::string>& urls);

  LDAP* ld_ = nullptr;
  std::unique_ptr<ldap_conncb> callbacks_;  // libldap keeps a pointer to it
  HandshakeWatchdog* watchdog_ = nullptr;   // watches connection attempts while set
  LdapSettings settings_;
  LdapFailure failure_;
  size_t requests_ = 0;
  bool completingRanges_ = false;
  std::vector<std::string> namingContextKeys_;
  std::vector<std::string> unfollowed_;  // referral URLs not followed, each once
  std::vector<std::string> notices_;
  bool clearPasswordTold_ = false;
  int pageSize_ = kFirstPageSize;
};

}  // namespace vorlix::directory
