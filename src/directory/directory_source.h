#pragma once
// Chooses and creates the directory client for a configured source.

#include <map>
#include <memory>
#include <string>

#include "directory/directory_client.h"

namespace vorlix::directory {

// How vorlix binds to an LDAP server.
enum class LdapBind {
  kSimple,    // with bindDn and a password; without bindDn, anonymously
  kGssapi,    // SASL GSSAPI: the user's Kerberos ticket (kinit)
  kExternal,  // SASL EXTERNAL: the client certificate of the TLS connection
};

// Whether the server's TLS certificate is checked. Only the configuration can skip the check.
enum class CertificateCheck { kVerify, kSkip };

struct DirectorySource {
  std::string source;                 // path to an LDIF file, or an ldap:// / ldaps:// URL
  std::string base;                   // LDAP only: search base (the URL's base wins)
  std::string bindDn;                 // LDAP only; empty: anonymous
  std::string password;               // LDAP only; never stored in a file
  bool startTls = false;              // LDAP only: StartTLS on an ldap:// connection
  int timeoutSeconds = 10;            // LDAP only: connecting and each wait for an answer
  LdapBind bind = LdapBind::kSimple;  // LDAP only
  CertificateCheck tlsVerify = CertificateCheck::kVerify;  // LDAP only
  std::map<std::string, std::string> names;                // program names mapped to LDAP names
};

// Whether a source names an LDAP server (ldap:// or ldaps://, in any letter case).
bool IsLdapSource(const std::string& source);

// Whether a password must still be asked for: an LDAP server bound simply with a DN, none given
// yet.
bool NeedsPassword(const DirectorySource& source);

// What the user is asked: "Password for <bind DN> at <server>:".
std::string PasswordPrompt(const DirectorySource& source);

// An empty source means the bundled sample tree. Never throws for a bad source: the client's
// calStartup then fails and StartupFailureReason() says why.
std::unique_ptr<DirectoryClient> MakeDirectoryClient(const DirectorySource& source);

// Path of the bundled sample tree: beside the executable (<exe dir>/data/sample-tree.ldif),
// else where an installed program keeps it (<prefix>/share/vorlix/sample-tree.ldif beside
// <prefix>/bin); the first when neither exists.
std::string SampleTreePath();

}  // namespace vorlix::directory
