#include "directory/directory_source.h"

#include <filesystem>
#include <system_error>

#include "directory/embedded_client.h"
#include "directory/unavailable_client.h"
#include "platform/system_info.h"

namespace vorlix::directory {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::unique_ptr<DirectoryClient> MakeDirectoryClient(const DirectorySource& source) {
  const std::string& s = source.source;
  if (StartsWith(s, "ldap://") || StartsWith(s, "ldaps://")) {
    // An LDAP client takes this branch once it exists.
    return std::make_unique<UnavailableClient>(
        "LDAP directories are not supported by this build yet");
  }
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
