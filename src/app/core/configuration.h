#pragma once
// The configuration file "vorlix.ini": "SYSTEM"/"phone" and the "PHONE" chain, the "DIRECTORY"
// section that chooses the directory source (for an LDAP server also base, binddn, starttls and
// timeout), and the "NAMES" section that maps single names.

#include <map>
#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "directory/directory_source.h"

namespace vorlix::core {

struct Configuration {
  // "SYSTEM"/"phone" read as an integer (not an integer: 0); any non-zero value turns it on.
  bool PhoneChainEnabled = false;
  // Values of every "PHONE" entry in file order; read only when the chain is on.
  std::vector<std::string> PhoneAttributes;

  // The "NAMES" section: program names of classes and attributes mapped to LDAP names, for
  // whichever directory is opened ("Telephone Number=mobile").
  std::map<std::string, std::string> names;

  // A "DIRECTORY" section was given and is sound. Its source is absolute (a relative path is
  // taken relative to the executable's directory) or an ldap:// / ldaps:// URL.
  bool hasDirectory = false;
  directory::DirectorySource directory;

  // A message for the user when the "DIRECTORY" section is broken (then the defaults apply) or
  // "NAMES" lines were skipped, one line each; empty otherwise.
  std::string problem;
};

// Where the configuration file is looked for, in this order: vorlix.ini beside the executable;
// $XDG_CONFIG_HOME/vorlix/vorlix.ini (~/.config when the variable is unset, empty or not an
// absolute path); /etc/vorlix/vorlix.ini. (configuration_path.cpp)
std::vector<std::string> ConfigurationSearchPath();
// The first file of the search path that exists; the first entry when none does.
std::string ConfigurationPath();

// Reads the file at `path`. A missing or unreadable file, or a file with a broken line, gives the
// defaults; when the broken line or a bad entry lies in the "DIRECTORY" section, `problem` says
// what is wrong. Relative directory sources are resolved against `baseDirectory`.
Configuration LoadConfiguration(const std::string& path, const std::string& baseDirectory);
Configuration LoadConfiguration(const std::string& path);  // base: the executable's directory

// The start-up step's use of the configuration: a chain that is on sets PhoneChainEnabled and
// replaces PhoneAttributes; a chain that is off leaves the state as it is.
void ApplyPhoneSettings(const Configuration& configuration, AppState& state);

// The configured directory source, or the bundled sample tree when none is configured.
directory::DirectorySource DirectorySourceOf(const Configuration& configuration);

}  // namespace vorlix::core
