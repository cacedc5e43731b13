#pragma once
// The throw-away LDAP servers of the tests, as tests/directory/ldap_test_server.sh started them
// (ctest starts them before the first test that needs them; scripts/test stops them however the
// run ends). Their folder is VORLIX_TEST_LDAP_DIR, else ldap-test-server in the build folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace vorlix::testing {

struct LdapTestServers {
  std::string ldapUrl;   // the main server: ldap:// (StartTLS offered)
  std::string ldapsUrl;  // the main server: ldaps://
  std::string plainUrl;  // the server whose schema has no X-NDS_NAME
  std::string caFile;    // the CA of the servers' certificate
  std::string otherCaFile;
  std::string adminDn, adminPassword;
  std::string limitedDn, limitedPassword;  // may see 5 entries per search, without paging
  std::string pagerDn, pagerPassword;      // in o=fleet: pages of at most 100 entries
  std::string fleetLdif;                   // o=fleet as loaded, for the embedded client
  std::string namesLdif;                   // o=names as loaded
  // From the servers' CA: a client certificate, one for another host, one that has expired.
  std::string clientCert, clientKey;
  std::string wrongHostCert, wrongHostKey;
  std::string expiredCert, expiredKey;
};

inline std::string LdapTestDir() {
  const char* dir = std::getenv("VORLIX_TEST_LDAP_DIR");
  return dir != nullptr && *dir != '\0' ? dir : VORLIX_BINARY_DIR "/ldap-test-server";
}

// The running servers; the calling test fails when they are not there.
inline LdapTestServers TestServers() {
  std::map<std::string, std::string> values;
  std::ifstream env(LdapTestDir() + "/servers.env");
  for (std::string line; std::getline(env, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  EXPECT_FALSE(values.empty()) << "no test LDAP servers in " << LdapTestDir()
                               << ": run tests/directory/ldap_test_server.sh start DIR first "
                                  "(ctest does so itself)";
  return LdapTestServers{
      values["LDAP_URL"],        values["LDAPS_URL"],      values["PLAIN_URL"],
      values["CA_FILE"],         values["OTHER_CA_FILE"],  values["ADMIN_DN"],
      values["ADMIN_PASSWORD"],  values["LIMITED_DN"],     values["LIMITED_PASSWORD"],
      values["PAGER_DN"],        values["PAGER_PASSWORD"], values["FLEET_LDIF"],
      values["NAMES_LDIF"],      values["CLIENT_CERT"],    values["CLIENT_KEY"],
      values["WRONG_HOST_CERT"], values["WRONG_HOST_KEY"], values["EXPIRED_CERT"],
      values["EXPIRED_KEY"]};
}

}  // namespace vorlix::testing
