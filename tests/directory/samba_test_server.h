#pragma once
// The Samba Active Directory domain controller of the tests, as samba_test_server.sh started it.
// ctest starts it before the first test that needs it and runs those tests inside its network
// namespace; scripts/test stops it however the run ends. Its folder is VORLIX_TEST_SAMBA_DIR, else
// samba-test-server in the build folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace vorlix::testing {

struct SambaTestServer {
  std::string skip;               // why the tests cannot run here; empty when the server runs
  std::string ldapUrl, ldapsUrl;  // ldap://dc1.vorlix.test and ldaps://dc1.vorlix.test
  std::string base, realm;
  std::string admin, adminPassword;  // administrator@vorlix.test
  std::string caFile;                // the CA of the LDAP certificate
  std::string krb5Config;            // a krb5.conf whose KDC is the domain controller
};

inline std::string SambaTestDir() {
  const char* dir = std::getenv("VORLIX_TEST_SAMBA_DIR");
  return dir != nullptr && *dir != '\0' ? dir : VORLIX_BINARY_DIR "/samba-test-server";
}

// The running server; skip says why there can be none here (a test then skips with that
// message). The calling test fails when the server was not started.
inline SambaTestServer SambaServer() {
  std::map<std::string, std::string> values;
  std::ifstream env(SambaTestDir() + "/samba.env");
  for (std::string line; std::getline(env, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  SambaTestServer server{
      values["SAMBA_SKIP"],           values["SAMBA_LDAP_URL"], values["SAMBA_LDAPS_URL"],
      values["SAMBA_BASE"],           values["SAMBA_REALM"],    values["SAMBA_ADMIN"],
      values["SAMBA_ADMIN_PASSWORD"], values["SAMBA_CA_FILE"],  values["SAMBA_KRB5_CONFIG"]};
  EXPECT_FALSE(values.empty()) << "no Samba test server in " << SambaTestDir()
                               << ": run tests/directory/samba_test_server.sh start DIR first "
                                  "(ctest does so itself)";
  return server;
}

}  // namespace vorlix::testing
