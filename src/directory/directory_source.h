#pragma once
// Chooses and creates the directory client for a configured source.

#include <map>
#include <memory>
#include <string>

#include "directory/directory_client.h"

namespace vorlix::directory {

// How an LDAP client binds: simple (with bindDn, else anonymously), SASL GSSAPI with the user's
// Kerberos ticket, or SASL EXTERNAL with a client certificate.
enum class BindMethod { kSimple, kGssapi, kExternal };

struct DirectorySource {
  std::string source;                        // path to an LDIF file, or an ldap:// / ldaps:// URL
  std::string base;                          // LDAP only: search base (the URL's base wins)
  std::string bindDn;                        // LDAP only; empty: anonymous
  std::string password;                      // LDAP only; never stored in a file
  bool startTls = false;                     // LDAP only: StartTLS on an ldap:// connection
  int timeoutSeconds = 10;                   // LDAP only: connecting and each wait for an answer
  BindMethod bind = BindMethod::kSimple;     // LDAP only
  bool tlsVerify = true;                     // LDAP only: false only by an explicit tls_verify=no
  std::map<std::string, std::string> names;  // program names mapped to LDAP names
  // Why the configured directory cannot be opened (a configuration that cannot be read, a
  // directory section without a source); empty when there is no such reason. The client made
  // for it then does not start, and this is its reason.
  std::string refusal;
};

// Whether a source names an LDAP server (ldap:// or ldaps://, in any letter case).
bool IsLdapSource(const std::string& source);

// Whether a password must still be asked for: an LDAP server bound with a DN, none given yet.
bool NeedsPassword(const DirectorySource& source);

// What the user is asked: "Password for <bind DN> at <server>:".
std::string PasswordPrompt(const DirectorySource& source);

// An empty source means the bundled sample tree. Never throws for a bad source or a refusal: the
// client's calStartup then fails and StartupFailureReason() says why.
std::unique_ptr<DirectoryClient> MakeDirectoryClient(const DirectorySource& source);

// Path of the bundled sample tree: beside the executable (<exe dir>/data/sample-tree.ldif),
// else where an installed program keeps it (<prefix>/share/vorlix/sample-tree.ldif beside
// <prefix>/bin); the first when neither exists.
std::string SampleTreePath();

}  // namespace vorlix::directory
