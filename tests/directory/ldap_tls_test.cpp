// TLS and binds of the LDAP client against the test servers: the certificate is always checked,
// whatever libldap's own settings say; a certificate that is not accepted is told apart by why;
// tls_verify=no and a password sent in clear are told; a client certificate binds with SASL
// EXTERNAL. libldap's process-wide settings stand in for ldap.conf, ldaprc and LDAPTLS_*, which
// set the same.

#include <gtest/gtest.h>
#include <ldap.h>

#include "directory/ldap_client.h"
#include "ldap_test_client.h"
#include "ldap_test_servers.h"
#include "tls_stand_in.h"

// libldap leaks the client certificate it loads (tests/lsan.supp names where); the leak is
// told apart from the program's own only with whole stacks, which the fast unwinder does not
// give through libraries built without frame pointers.
extern "C" const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}

namespace vorlix::directory {
namespace {

using testing::TlsStandIn;
using vorlix::testing::LdapTestServers;
using vorlix::testing::TestServers;

// Sets one of libldap's process-wide settings, as ldap.conf, ldaprc or LDAPTLS_* would.
void SetLibldap(int option, const std::string& value) {
  ASSERT_EQ(ldap_set_option(nullptr, option, value.empty() ? nullptr : value.c_str()),
            LDAP_OPT_SUCCESS);
}
void SetLibldap(int option, int value) {
  ASSERT_EQ(ldap_set_option(nullptr, option, &value), LDAP_OPT_SUCCESS);
}

int PortOf(const std::string& url) {
  return std::stoi(url.substr(url.rfind(':') + 1));
}

// Why the client could not start; empty when it did.
std::string StartFailure(DirectorySource source) {
  LdapClient client(std::move(source));
  const bool started = client.calStartup(0, 0) == kOk;
  const std::string reason = client.StartupFailureReason();
  client.calShutdown(0);
  return started ? std::string() : reason;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class LdapTlsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLibldap(LDAP_OPT_X_TLS_CACERTFILE, servers_.caFile); }
  LdapTestServers servers_ = TestServers();
};

TEST_F(LdapTlsTest, ACertificateThatIsNotAcceptedIsToldApartByWhy) {
  const std::string harbourline = servers_.ldapsUrl + "/o=harbourline";
  ASSERT_EQ(StartFailure(Source(harbourline)), "");

  TlsStandIn expired(servers_.expiredCert, servers_.expiredKey);
  TlsStandIn elsewhere(servers_.wrongHostCert, servers_.wrongHostKey);
  // The servers' own certificate, from a stand-in that hangs up after the handshake.
  const std::string tls = servers_.caFile.substr(0, servers_.caFile.rfind('/'));
  TlsStandIn dropping(tls + "/server.pem", tls + "/server.key");
  const std::string plainPort = std::to_string(PortOf(servers_.ldapUrl));
  DirectorySource startTls = Source(servers_.ldapUrl + "/o=harbourline");
  startTls.startTls = true;
  struct Case {
    const char* what;
    DirectorySource source;
    std::string ca;
    std::string said;
  };
  const Case cases[] = {
      {"another CA", Source(harbourline), servers_.otherCaFile,
       "the server's certificate was not accepted: it is not signed by a CA that vorlix trusts "
       "(its issuer is \"CN=vorlix test ca\")"},
      {"another CA with StartTLS", startTls, servers_.otherCaFile, "not signed by a CA"},
      {"expired", Source(expired.url()), servers_.caFile, "was not accepted: it expired on "},
      {"another host", Source(elsewhere.url()), servers_.caFile,
       "was not accepted: it is issued for elsewhere.example, not for 127.0.0.1."},
      {"plain LDAP on the port", Source("ldaps://127.0.0.1:" + plainPort), servers_.caFile,
       "the server at 127.0.0.1:" + plainPort + " answers plain LDAP, not TLS"},
      {"a good certificate", Source(dropping.url()), servers_.caFile,
       "failed (Can't contact LDAP server (-1)), though the server's certificate passes the "
       "checks of CA, host name and dates"},
  };
  for (const Case& c : cases) {
    SetLibldap(LDAP_OPT_X_TLS_CACERTFILE, c.ca);
    const std::string reason = StartFailure(c.source);
    EXPECT_TRUE(Contains(reason, "Netware error -625")) << c.what << ": " << reason;
    EXPECT_TRUE(Contains(reason, c.said)) << c.what << ": " << reason;
  }
  // Only the problem there is is named.
  SetLibldap(LDAP_OPT_X_TLS_CACERTFILE, servers_.caFile);
  EXPECT_FALSE(Contains(StartFailure(Source(expired.url())), "issued for"));
  EXPECT_FALSE(Contains(StartFailure(Source(elsewhere.url())), "CA"));
}

TEST_F(LdapTlsTest, LibldapsOwnSettingsCannotTurnTheCheckOff) {
  // As TLS_REQCERT never and TLS_REQSAN never in an ldaprc, or LDAPTLS_REQCERT=never.
  SetLibldap(LDAP_OPT_X_TLS_REQUIRE_CERT, LDAP_OPT_X_TLS_NEVER);
  SetLibldap(LDAP_OPT_X_TLS_REQUIRE_SAN, LDAP_OPT_X_TLS_NEVER);
  TlsStandIn elsewhere(servers_.wrongHostCert, servers_.wrongHostKey);
  EXPECT_TRUE(Contains(StartFailure(Source(elsewhere.url())), "issued for elsewhere.example"));
  SetLibldap(LDAP_OPT_X_TLS_CACERTFILE, servers_.otherCaFile);
  EXPECT_TRUE(Contains(StartFailure(Source(servers_.ldapsUrl)), "not signed by a CA"));
}

TEST_F(LdapTlsTest, TlsVerifyNoSkipsTheCheckAndSaysSoOnEveryConnection) {
  SetLibldap(LDAP_OPT_X_TLS_CACERTFILE, servers_.otherCaFile);
  DirectorySource source = Source(servers_.ldapsUrl + "/o=harbourline");
  source.tlsVerify = false;
  Opened d(source);
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  const std::string warning = "The certificate of the server at " +
                              servers_.ldapsUrl.substr(std::string("ldaps://").size()) +
                              " is not checked (tls_verify=no)";
  std::vector<std::string> notices = d.client.TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_TRUE(Contains(notices[0], warning)) << notices[0];
  EXPECT_TRUE(d.client.TakeNotices().empty());
  // A new connection warns again.
  d.client.calShutdown(0);
  ASSERT_EQ(d.client.calStartup(0, 0), kOk);
  notices = d.client.TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_TRUE(Contains(notices[0], warning));
}

TEST_F(LdapTlsTest, APasswordSentInClearIsToldOnce) {
  DirectorySource plain = Source(servers_.ldapUrl + "/o=harbourline");
  plain.bindDn = servers_.adminDn;
  plain.password = servers_.adminPassword;
  DirectorySource secured = plain;
  secured.source = servers_.ldapsUrl + "/o=harbourline";
  DirectorySource startTls = plain;
  startTls.startTls = true;

  Opened d(plain);
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(
      d.client.TakeNotices(),
      std::vector<std::string>{"The password for " + servers_.adminDn + " travels unencrypted to " +
                               servers_.ldapUrl.substr(std::string("ldap://").size()) +
                               ": use ldaps:// or starttls=yes."});
  d.client.calShutdown(0);
  ASSERT_EQ(d.client.calStartup(0, 0), kOk);
  EXPECT_TRUE(d.client.TakeNotices().empty());
  for (const DirectorySource& source : {secured, startTls}) {
    Opened tls(source);
    ASSERT_TRUE(tls.started) << tls.client.StartupFailureReason();
    EXPECT_TRUE(tls.client.TakeNotices().empty()) << source.source;
  }
}

TEST_F(LdapTlsTest, AClientCertificateBindsWithSaslExternal) {
  DirectorySource external = Source(servers_.ldapsUrl + "/o=harbourline");
  external.bind = BindMethod::kExternal;
  EXPECT_TRUE(Contains(StartFailure(external),
                       "Netware error -669 (0xFFFFFD63): Binding with the client certificate "
                       "(bind=external): it needs a client certificate: name it and its key with "
                       "LDAPTLS_CERT and LDAPTLS_KEY"));
  DirectorySource plain = external;
  plain.source = servers_.ldapUrl + "/o=harbourline";
  EXPECT_TRUE(Contains(StartFailure(plain), "it needs a TLS connection"));

  SetLibldap(LDAP_OPT_X_TLS_CERTFILE, servers_.clientCert);
  SetLibldap(LDAP_OPT_X_TLS_KEYFILE, servers_.clientKey);
  Opened d(external);
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(ReadAttributeText(d.client, d.context, "Sales East.groups.harbourline", "Description"),
            "Sales team for the eastern region");
}

// Replies are read in blocks beneath the TLS layer: a search of many small entries, and one entry
// larger than a block (a group's 5,000 members), come whole and alike over every transport.
TEST_F(LdapTlsTest, LongRepliesReadAlikeOverTlsAndInTheClear) {
  DirectorySource startTls = Source(servers_.ldapUrl + "/o=fleet", 300);
  startTls.startTls = true;
  const DirectorySource sources[] = {Source(servers_.ldapUrl + "/o=fleet", 300),
                                     Source(servers_.ldapsUrl + "/o=fleet", 300), startTls};
  std::vector<std::vector<std::string>> seen;
  for (const DirectorySource& source : sources) {
    Opened d(source);
    ASSERT_TRUE(d.started) << source.source << ": " << d.client.StartupFailureReason();
    std::vector<std::string> texts;
    for (const NameEntry& e :
         FindObjectsByName(d.client, d.context, "[root]", "zenWorkstation", "CN", "FLEET-WS-")) {
      texts.push_back(e.text);
    }
    ASSERT_EQ(texts.size(), 5000u) << source.source;
    for (const NameEntry& e :
         ReadAttributeList(d.client, d.context, "Fleet Terminals.groups.fleet", "Member", ';')) {
      texts.push_back(e.text);
    }
    ASSERT_EQ(texts.size(), 10000u) << source.source;
    seen.push_back(std::move(texts));
  }
  EXPECT_EQ(seen[1], seen[0]);
  EXPECT_EQ(seen[2], seen[0]);
  EXPECT_EQ(seen[0][9999], "FLEET-WS-5000.workstations.fleet");
}

}  // namespace
}  // namespace vorlix::directory
