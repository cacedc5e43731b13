#include "directory/ldap_name_resolution.h"

#include <ldap.h>

#include <optional>

#include "directory/ldap_filter.h"
#include "platform/case_fold.h"

namespace vorlix::directory {

namespace {

// Naming attributes tried when a name has to be found level by level.
constexpr const char* kNamingTypes[] = {"cn", "ou", "o", "l", "dc", "uid", "c", "st"};

}  // namespace

int32_t NameResolution::ReadOne(const std::string& dn, const std::vector<std::string>& attributes,
                                LdapEntry& entry, int& resultCode) {
  LdapSearch search;
  search.base = dn;
  search.attributes = attributes;
  const int id = s_.connection.Send(search);
  LdapResult result;
  if (id < 0 || !s_.connection.Collect(id, result, s_.deadline, 1))
    return s_.Failed(s_.connection.failure());
  if (result.truncated) {
    return s_.Failed(LdapFailure{kErrRemoteFailure,
                                 "Reading " + dn + ": the server sent more than one entry for it"});
  }
  resultCode = result.resultCode;
  if (resultCode == LDAP_SUCCESS && result.entries.empty()) resultCode = LDAP_NO_SUCH_OBJECT;
  if (!result.entries.empty()) entry = std::move(result.entries.front());
  if (resultCode == LDAP_REFERRAL) {
    s_.last = LdapFailure{ClientCodeOfLdapResult(resultCode),
                          "Reading " + dn + ": the server refers it to " +
                              ReferredTo(result.referrals) + "; referrals are not followed"};
  } else if (resultCode != LDAP_SUCCESS && resultCode != LDAP_NO_SUCH_OBJECT) {
    s_.last = LdapFailure{ClientCodeOfLdapResult(resultCode),
                          LdapFailureText("Reading " + dn, resultCode, result.diagnostic)};
  }
  return kOk;
}

int32_t NameResolution::Walk(const std::string& dotted, std::string& dn) {
  const std::vector<std::string> raw = SplitDottedName(dotted, TypePrefix::kKept);
  size_t next = raw.size();  // components left of this one are still to be found
  for (const std::string& root : s_.roots) {
    auto components = ParseLdapDn(root, nullptr);
    if (!components || components->empty() || components->size() > raw.size()) continue;
    bool ends = true;
    for (size_t i = 0; i < components->size(); ++i) {
      const std::string& value = raw[raw.size() - components->size() + i];
      ends = ends && platform::EqualFolded(value, (*components)[i].value);
    }
    if (ends) {
      dn = root;
      next = raw.size() - components->size();
      break;
    }
  }
  if (next == raw.size()) return kErrNoSuchEntry;
  while (next > 0) {
    const std::string& value = raw[--next];
    std::string filter = "(|";
    for (const char* type : kNamingTypes) {
      filter += std::string("(") + type + "=" + EscapeFilterValue(value, Wildcards::kEscaped) + ")";
    }
    std::vector<LdapEntry> children;
    // A list cut short (a referral beside the child, a limit) still serves if it holds the child.
    std::optional<LdapFailure> cutShort;
    if (!s_.connection.SearchAll(LdapSearch{dn, LDAP_SCOPE_ONELEVEL, filter + ")", {"1.1"}},
                                 children, s_.deadline)) {
      if (s_.connection.failure().code == kErrNoSuchEntry) return kErrNoSuchEntry;
      if (s_.connection.failure().code != kErrListIncomplete)
        return s_.Failed(s_.connection.failure());
      cutShort = s_.connection.failure();
    }
    bool found = false;
    for (const LdapEntry& child : children) {
      s_.book.Remember(child.dn);
      auto components = ParseLdapDn(child.dn, nullptr);
      if (!found && components && !components->empty() &&
          platform::EqualFolded(components->front().value, value)) {
        dn = child.dn;
        found = true;
      }
    }
    if (!found) return cutShort ? s_.Failed(*cutShort) : kErrNoSuchEntry;
  }
  return kOk;
}

int32_t NameResolution::EntryOf(const std::string& object, const std::vector<std::string>& keys,
                                bool all, LdapEntry& direct, const LdapEntry*& entry,
                                std::string& entryKey) {
  const KnownName* known = s_.book.FindDotted(object);
  std::vector<std::string> candidates =
      known ? std::vector<std::string>{std::string(known->dn)} : s_.book.Guesses(object);
  bool guessed = known == nullptr, walked = false;
  for (size_t i = 0;; ++i) {
    if (i == candidates.size() && !guessed) {  // the remembered entry is gone
      guessed = true;
      for (std::string& guess : s_.book.Guesses(object)) candidates.push_back(std::move(guess));
    }
    if (i == candidates.size() && !walked) {  // the name was not where it was looked for
      walked = true;
      std::string dn;
      const int32_t r = Walk(object, dn);
      if (r != kOk) return r;
      candidates.push_back(dn);
    }
    if (i == candidates.size()) return kErrNoSuchEntry;
    const std::string& dn = candidates[i];
    const auto key = i == 0 && known ? std::optional<std::string>(known->key) : DnKey(dn);
    if (!all && key) {
      switch (s_.fetcher.GetByKey(*key, keys, entry, s_.deadline)) {
        case EntryFetcher::Status::kFetched:
          entryKey = *key;  // remembered when its batch arrived
          return kOk;
        case EntryFetcher::Status::kFailed:
          return s_.Failed(s_.fetcher.failure());
        default:
          break;
      }
    }
    int resultCode = LDAP_SUCCESS;
    const std::vector<std::string> request = all            ? std::vector<std::string>{}
                                             : keys.empty() ? std::vector<std::string>{"1.1"}
                                                            : keys;
    if (const int32_t r = ReadOne(dn, request, direct, resultCode); r != kOk) return r;
    if (resultCode == LDAP_SUCCESS) {
      entry = &direct;
      s_.book.Remember(direct.dn, &entryKey);
      return kOk;
    }
    if (resultCode != LDAP_NO_SUCH_OBJECT) return s_.last.code;
  }
}

}  // namespace vorlix::directory
