#pragma once
// Small helpers over libldap's own types for the files of the LDAP connection: owners that free
// what libldap hands out, and the texts and codes it reports.

#include <ldap.h>

#include <chrono>
#include <memory>
#include <string>

namespace vorlix::directory {

struct UrlDeleter {
  void operator()(LDAPURLDesc* url) const { ldap_free_urldesc(url); }
};
struct MessageDeleter {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using MessagePtr = std::unique_ptr<LDAPMessage, MessageDeleter>;

// The text libldap handed out, empty for none.
inline std::string Text(const char* text) {
  return text ? std::string(text) : std::string();
}

// libldap's text for a result code with the code: "No such object (32)".
std::string DescriptionOf(int ldapResult);

// The LDAP server's diagnostic message of the last failure on ld, if any.
std::string DiagnosticOf(LDAP* ld);

// The result code of the last failure on ld.
int ResultCodeOf(LDAP* ld);

// Whether a code is one of the server's limits (size, time, administrative).
bool IsLimit(int code);

// Whether a first page that failed before any entry came may have failed because the server
// will not page this search (OpenLDAP: adminLimitExceeded, "pagedResults control not allowed").
bool RefusesPaging(int code);

}  // namespace vorlix::directory
