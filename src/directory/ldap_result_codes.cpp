#include "directory/ldap_result_codes.h"

#include "directory/client_codes.h"
#include "directory/ldap_handles.h"

namespace vorlix::directory {

std::string DescriptionOf(int ldapResult) {
  return Text(ldap_err2string(ldapResult)) + " (" + std::to_string(ldapResult) + ")";
}

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

bool RefusesPaging(int code) {
  return code == LDAP_UNAVAILABLE_CRITICAL_EXTENSION || code == LDAP_UNWILLING_TO_PERFORM ||
         code == LDAP_PROTOCOL_ERROR || code == LDAP_NOT_SUPPORTED ||
         code == LDAP_ADMINLIMIT_EXCEEDED;
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

std::string LdapFailureText(const std::string& what, int ldapResult,
                            const std::string& diagnostic) {
  std::string text = what + ": " + DescriptionOf(ldapResult);
  if (!diagnostic.empty() && diagnostic != Text(ldap_err2string(ldapResult))) {
    text += ": " + diagnostic;
  }
  return text;
}

std::string ReferredTo(const std::vector<std::string>& referrals) {
  if (referrals.empty()) return "another server";
  return referrals.front() +
         (referrals.size() > 1 ? " (and " + std::to_string(referrals.size() - 1) + " more)" : "");
}

}  // namespace vorlix::directory
