#include "directory/directory_source.h"

#include <cstring>

#include "directory/embedded_client.h"
#include "directory/ldap_client.h"
#include "directory/unavailable_client.h"
#include "platform/plain_text.h"
#include "platform/system_info.h"

namespace vorlix::directory {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return platform::LowerCase(text.substr(0, std::strlen(prefix))) == prefix;
}

}  // namespace

bool IsLdapSource(const std::string& source) {
  return StartsWith(source, "ldap://") || StartsWith(source, "ldaps://");
}

bool NeedsPassword(const DirectorySource& source) {
  return IsLdapSource(source.source) && !source.bindDn.empty() && source.password.empty();
}

std::string PasswordPrompt(const DirectorySource& source) {
  return "Password for " + source.bindDn + " at " + source.source + ":";
}

std::unique_ptr<DirectoryClient> MakeDirectoryClient(const DirectorySource& source) {
  const std::string& s = source.source;
  if (IsLdapSource(s)) return std::make_unique<LdapClient>(source);
  if (s.find("://") != std::string::npos) {
    return std::make_unique<UnavailableClient>("Unsupported directory source \"" + s +
                                               "\": give an LDIF file or an ldap:// URL");
  }
  if (s.empty()) return std::make_unique<EmbeddedClient>(SampleTreePath(), source.names);
  return std::make_unique<EmbeddedClient>(s, source.names);
}

std::string SampleTreePath() {
  return platform::ExecutableDirectory() + "/data/sample-tree.ldif";
}

}  // namespace vorlix::directory
