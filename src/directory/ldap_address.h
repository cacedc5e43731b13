#pragma once
// The address of an LDAP server as a source URL names it.

#include <optional>
#include <string>

namespace vorlix::directory {

// Where the server is and how to reach it, from an ldap:// or ldaps:// source URL.
struct LdapAddress {
  std::string serverUri;  // scheme://host[:port], nothing after it
  std::string host;
  int port = 0;
  std::string hostPort;  // host:port, for messages
  std::string base;      // the URL's base DN; empty when it names none
  bool secure = false;   // ldaps://
};

// Parses an RFC 4516 URL that names a server and, optionally, a base DN; nullopt with the reason in
// error when it is malformed or holds more (attributes, scope, filter, extensions).
std::optional<LdapAddress> ParseLdapAddress(const std::string& url, std::string* error);

}  // namespace vorlix::directory
