#pragma once
// Chooses and creates the directory client for a configured source.

#include <map>
#include <memory>
#include <string>

#include "directory/directory_client.h"

namespace vorlix::directory {

struct DirectorySource {
  std::string source;                        // path to an LDIF file, or an ldap:// / ldaps:// URL
  std::string base;                          // LDAP only: search base
  std::string bindDn;                        // LDAP only
  std::string password;                      // LDAP only; never stored in a file
  std::map<std::string, std::string> names;  // program names mapped to LDAP names
};

// An empty source means the bundled sample tree. Never throws for a bad source: the client's
// calStartup then fails and StartupFailureReason() says why.
std::unique_ptr<DirectoryClient> MakeDirectoryClient(const DirectorySource& source);

// Path of the bundled sample tree: beside the executable (<exe dir>/data/sample-tree.ldif),
// else where an installed program keeps it (<prefix>/share/vorlix/sample-tree.ldif beside
// <prefix>/bin); the first when neither exists.
std::string SampleTreePath();

}  // namespace vorlix::directory
