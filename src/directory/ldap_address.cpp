#include "directory/ldap_address.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "directory/ldap_handles.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

// A host name (letters, digits, "-", "_" and dots), an IPv4 address, or an IPv6 address as
// libldap gives it without its brackets. libldap takes anything between "//" and the port; what
// it takes beyond these could not be written back into the server address that is connected to.
bool IsHostName(const std::string& host) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::all_of(host.begin(), host.end(), [ipv6](char c) {
    const auto u = static_cast<unsigned char>(c);
    return ipv6 ? std::isxdigit(u) || c == ':' || c == '.'
                : std::isalnum(u) || c == '-' || c == '_' || c == '.';
  });
}

}  // namespace

std::optional<LdapAddress> ParseLdapAddress(const std::string& url, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<LdapAddress> {
    if (error) *error = "Malformed LDAP URL \"" + url + "\": " + why;
    return std::nullopt;
  };
  LDAPURLDesc* raw = nullptr;
  const int r = ldap_url_parse(url.c_str(), &raw);
  std::unique_ptr<LDAPURLDesc, UrlDeleter> parsed(raw);
  if (r != LDAP_URL_SUCCESS) {
    return fail(r == LDAP_URL_ERR_BADSCHEME
                    ? "it must begin with ldap:// or ldaps://"
                    : "it does not follow RFC 4516 (code " + std::to_string(r) + ")");
  }
  const std::string scheme = LowerCase(Text(parsed->lud_scheme));
  if (scheme != "ldap" && scheme != "ldaps") return fail("it must begin with ldap:// or ldaps://");
  if (Text(parsed->lud_host).empty()) return fail("it names no server");
  if (parsed->lud_port < 0 || parsed->lud_port > 65535) return fail("its port is out of range");
  if (parsed->lud_attrs != nullptr || parsed->lud_filter != nullptr ||
      parsed->lud_exts != nullptr || url.find('?') != std::string::npos) {
    return fail("give only the server and the base, as in ldap://host:389/o=acme");
  }
  if (!IsHostName(Text(parsed->lud_host)))
    return fail("its server \"" + Text(parsed->lud_host) + "\" is no host name or IP address");
  LdapAddress address;
  address.secure = scheme == "ldaps";
  address.host = Text(parsed->lud_host);
  address.port = parsed->lud_port != 0 ? parsed->lud_port : (address.secure ? 636 : 389);
  const bool ipv6 = address.host.find(':') != std::string::npos;
  address.hostPort =
      (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
  address.serverUri = scheme + "://" + address.hostPort;
  address.base = Text(parsed->lud_dn);
  return address;
}

}  // namespace vorlix::directory
