#pragma once
// The configuration file "vorlix.ini": "SYSTEM"/"phone" and the "PHONE" chain, the "DIRECTORY"
// section that chooses the directory source (for an LDAP server also base, binddn, starttls,
// timeout, bind and tls_verify), and the "NAMES" section that maps single names. The keys each
// section knows are one table (configuration.cpp). A file larger than 1 MB is refused unread.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "directory/directory_source.h"

namespace vorlix::core {

inline constexpr std::size_t kMaxConfigurationBytes = 1024 * 1024;

struct Configuration {
  // "SYSTEM"/"phone" read as an integer (not an integer: 0); any non-zero value turns it on.
  bool PhoneChainEnabled = false;
  // Values of every "PHONE" entry in file order; read only when the chain is on.
  std::vector<std::string> PhoneAttributes;

  // The "NAMES" section: program names of classes and attributes mapped to LDAP names, for
  // whichever directory is opened ("Telephone Number=mobile").
  std::map<std::string, std::string> names;

  // A "DIRECTORY" section names a source. It is absolute (a relative path is taken relative to
  // the executable's directory) or an ldap:// / ldaps:// URL.
  bool hasDirectory = false;
  // The source and its settings. When the file names a directory that cannot be known (a
  // "DIRECTORY" section without a usable source, a file that cannot be read), its refusal says
  // why and no directory opens: the bundled sample tree never stands in for it.
  directory::DirectorySource directory;

  // What the user must be told about the file, one line per problem ("vorlix.ini:3: ..."): every
  // line that cannot be used (unreadable, an unknown section or key, a bad value, a key given
  // again, a password), each skipped while the rest of its section applies; a section given
  // again, whose entries are merged; a file that could not be read at all. Empty when there is
  // nothing to tell.
  std::string problem;
};

// Where the configuration file is looked for, in this order: vorlix.ini beside the executable;
// $XDG_CONFIG_HOME/vorlix/vorlix.ini (~/.config when the variable is unset, empty or not an
// absolute path); /etc/vorlix/vorlix.ini. (configuration_path.cpp)
std::vector<std::string> ConfigurationSearchPath();
// The first file of the search path that exists; the first entry when none does.
std::string ConfigurationPath();

// Why the file at path cannot serve as a configuration named by the user ("FILE: cannot open the
// file: it is a folder"); empty when it is a readable regular file.
std::string ConfigurationFileProblem(const std::string& path);

// Reads the file at `path`. A missing file gives the defaults and no problem; a file that cannot
// be read (a folder, a device, no permission, UTF-16 text) gives the defaults, a problem and a
// directory refusal. Lines that cannot be used are skipped, each with a problem; the rest of
// their section applies. Of a key given twice the first usable value wins. Relative directory
// sources are resolved against `baseDirectory`.
Configuration LoadConfiguration(const std::string& path, const std::string& baseDirectory);
Configuration LoadConfiguration(const std::string& path);  // base: the executable's directory

// What the user is told before the directory opens: the configuration's problems, and when they
// leave the bundled sample tree as the source, a line saying so. Empty when there are none.
std::string ConfigurationMessage(const Configuration& configuration,
                                 const directory::DirectorySource& source);

// The start-up step's use of the configuration: a chain that is on sets PhoneChainEnabled and
// replaces PhoneAttributes; a chain that is off leaves the state as it is.
void ApplyPhoneSettings(const Configuration& configuration, AppState& state);

// The configured directory source (with its refusal, when it cannot be known), or the bundled
// sample tree when the configuration names none.
directory::DirectorySource DirectorySourceOf(const Configuration& configuration);

// Whether the source opens the bundled sample tree.
bool OpensSampleTree(const directory::DirectorySource& source);

}  // namespace vorlix::core
