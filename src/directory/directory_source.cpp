#include "directory/directory_source.h"

#include <cstring>
#include <filesystem>
#include <system_error>

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
  return IsLdapSource(source.source) && source.bind == BindMethod::kSimple &&
         !source.bindDn.empty() && source.password.empty();
}

std::string PasswordPrompt(const DirectorySource& source) {
  return "Password for " + source.bindDn + " at " + source.source + ":";
}

std::unique_ptr<DirectoryClient> MakeDirectoryClient(const DirectorySource& source) {
  const std::string& s = source.source;
  if (!source.refusal.empty()) return std::make_unique<UnavailableClient>(source.refusal);
  if (IsLdapSource(s)) return std::make_unique<LdapClient>(source);
  if (s.find("://") != std::string::npos) {
    return std::make_unique<UnavailableClient>("Unsupported directory source \"" + s +
                                               "\": give an LDIF file or an ldap:// URL");
  }
  if (s.empty()) return std::make_unique<EmbeddedClient>(SampleTreePath(), source.names);
  return std::make_unique<EmbeddedClient>(s, source.names);
}

std::string SampleTreePath() {
  const std::filesystem::path executable = platform::ExecutableDirectory();
  const std::filesystem::path beside = executable / "data" / "sample-tree.ldif";
  const std::filesystem::path installed =
      (executable / VORLIX_DATA_FROM_BIN / "sample-tree.ldif").lexically_normal();
  std::error_code error;
  if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error))
    return installed.string();
  return beside.string();
}

}  // namespace vorlix::directory
