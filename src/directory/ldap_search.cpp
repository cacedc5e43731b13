// The connection's searches: sent without waiting, collected before a deadline, page by page, with
// the ranged values completed and the references that were not followed kept for the notices.
#include <ldap.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_set>

#include "directory/client_codes.h"
#include "directory/ldap_connection.h"
#include "directory/ldap_entry_reader.h"
#include "directory/ldap_handles.h"
#include "directory/ldap_names.h"
#include "directory/ranged_values.h"

namespace vorlix::directory {

namespace {

timeval TimevalOf(std::chrono::steady_clock::duration left) {
  const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
  return timeval{static_cast<time_t>(micro / 1000000), static_cast<suseconds_t>(micro % 1000000)};
}

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
  std::string text = TimeoutText(answered ? Silence::kUnfinishedAnswer : Silence::kNoAnswer);
  text.front() = 'T';  // it begins the message
  return Fail(kErrTransportFailure, text);
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
      // Formatted from one literal: pieces this short are written into the code as immediates,
      // which split the words of the text.
      char more[48];
      std::snprintf(more, sizeof more, " and %zu more", unfollowed_.size() - kListed);
      urls += more;
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
