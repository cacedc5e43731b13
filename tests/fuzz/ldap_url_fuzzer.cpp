// The LDAP source URL (RFC 4516: ldap:// or ldaps://, a server, a port and a base DN, nothing
// more). The input is used twice:
// - as a URL: refused with a message that names it, or taken apart into a server the client can
//   reach (a host, a port from 1 to 65535) whose address reads back as the same server, and,
//   with the base written back percent-encoded, as the same base;
// - as a recipe for a URL written as RFC 4516 says: host (name, IPv4 or IPv6 address), port
//   (or none), base DN of any bytes but NUL, percent-encoded; it must read back as those parts.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "directory/ldap_connection.h"
#include "fuzz_support.h"

namespace {

using vorlix::directory::LdapAddress;
using vorlix::directory::ParseLdapAddress;
using vorlix::fuzz::Fail;

// The characters a DN keeps unencoded in a URL; every other byte is written %XX.
std::string PercentEncoded(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '=' || c == ',';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Describe(const LdapAddress& a) {
  return a.serverUri + " host=" + a.host + " port=" + std::to_string(a.port) + " base=" + a.base;
}

LdapAddress Parsed(const std::string& url, const char* what) {
  std::string error;
  const std::optional<LdapAddress> address = ParseLdapAddress(url, &error);
  if (!address) Fail(std::string(what) + " is refused: " + error);
  return *address;
}

void CheckRawUrl(const std::string& url) {
  std::string error;
  const std::optional<LdapAddress> address = ParseLdapAddress(url, &error);
  if (!address) {
    const std::string start = "Malformed LDAP URL \"" + url + "\": ";
    if (error.compare(0, start.size(), start) != 0 || error.size() == start.size())
      Fail("a refusal does not name the URL and the reason: " + error);
    return;
  }
  if (address->host.empty() || address->port < 1 || address->port > 65535)
    Fail("a URL gives a server that cannot be reached: " + Describe(*address));
  const std::string scheme = address->secure ? "ldaps://" : "ldap://";
  if (address->serverUri != scheme + address->hostPort)
    Fail("the server address does not follow its parts: " + Describe(*address));
  const LdapAddress server = Parsed(address->serverUri, "the server address");
  if (server.host != address->host || server.port != address->port ||
      server.secure != address->secure || !server.base.empty())
    Fail("the server address names another server: " + Describe(server));
  if (address->base.find('\0') != std::string::npos) return;
  const LdapAddress again =
      Parsed(address->serverUri + "/" + PercentEncoded(address->base), "the URL written back");
  if (again.base != address->base || again.serverUri != address->serverUri)
    Fail("the URL written back reads differently: " + Describe(again));
}

void CheckRecipe(const uint8_t* data, size_t size) {
  size_t at = 0;
  const auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  const uint8_t shape = next();
  const bool secure = (shape & 1) != 0;
  std::string host;
  switch ((shape >> 1) & 3) {
    case 0:
    case 1: {
      static const char kName[] = "abcdefghijklmnopqrstuvwxyz0123456789";
      for (int n = 1 + next() % 20; n > 0; --n) {
        host += kName[next() % 36];
        if (n > 1 && next() % 5 == 0) host += next() % 2 ? '.' : '-';
      }
      break;
    }
    case 2:
      host = std::to_string(next()) + "." + std::to_string(next()) + "." + std::to_string(next()) +
             "." + std::to_string(next());
      break;
    case 3: {
      static const char kHex[] = "0123456789abcdef";
      host = "2001:db8::";
      for (int n = 1 + next() % 4; n > 0; --n) host += kHex[next() % 16];
      break;
    }
  }
  const int port = ((shape >> 3) & 1) != 0 ? 0 : 1 + (next() << 8 | next()) % 65535;
  std::string base;
  while (at < size) {
    const uint8_t c = next();
    if (c != 0) base += static_cast<char>(c);
  }
  const bool ipv6 = host.find(':') != std::string::npos;
  std::string url = std::string(secure ? ((shape & 64) != 0 ? "LDAPS" : "ldaps") : "ldap") + "://" +
                    (ipv6 ? "[" + host + "]" : host);
  if (port != 0) url += ":" + std::to_string(port);
  if (!base.empty() || (shape & 32) != 0) url += "/" + PercentEncoded(base);

  const LdapAddress address = Parsed(url, "a well-formed URL");
  const int expectedPort = port != 0 ? port : (secure ? 636 : 389);
  if (address.host != host || address.port != expectedPort || address.secure != secure ||
      address.base != base)
    Fail("a well-formed URL reads differently: " + url + " -> " + Describe(address));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckRawUrl(std::string(reinterpret_cast<const char*>(data), size));
  CheckRecipe(data, size);
  return 0;
}
