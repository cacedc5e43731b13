// The LDAP client where the server sends it elsewhere: referrals are reported, never followed.

#include <gtest/gtest.h>
#include <ldap.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "directory/directory_layer.h"
#include "directory/ldap_client.h"
#include "ldap_test_client.h"
#include "ldap_test_servers.h"

namespace vorlix::directory {
namespace {

using Clock = std::chrono::steady_clock;
using vorlix::testing::LdapTestServers;
using vorlix::testing::TestServers;

// The suffix that only these tests read and change, and who may change it.
constexpr const char* kFaultsAdminDn = "cn=admin,o=faults";

// A port that takes connections and only counts them.
class CountingPort {
 public:
  CountingPort() : fd_(ListenOnLoopback(port_)) {}
  ~CountingPort() { close(fd_); }
  int port() const { return port_; }
  // The connections made to the port so far (a short wait lets one on its way arrive).
  int Connections() {
    pollfd p{fd_, POLLIN, 0};
    while (poll(&p, 1, 100) == 1) {
      const int client = accept(fd_, nullptr, nullptr);
      if (client < 0) break;
      close(client);
      ++connections_;
    }
    return connections_;
  }

 private:
  int port_ = 0;
  int fd_;
  int connections_ = 0;
};

// Makes dn a referral to url on the main test server (replacing one left by an earlier run).
void PutReferral(const LdapTestServers& servers, const std::string& dn, const std::string& url) {
  LDAP* ld = nullptr;
  ASSERT_EQ(ldap_initialize(&ld, servers.ldapUrl.c_str()), LDAP_SUCCESS);
  const int version = LDAP_VERSION3;
  ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  std::string password = servers.adminPassword;
  berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
  int r = ldap_sasl_bind_s(ld, kFaultsAdminDn, LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr,
                           nullptr);
  if (r == LDAP_SUCCESS) {
    // Without "manage DSA IT" the server would answer for the referral, not change it.
    LDAPControl manage{const_cast<char*>(LDAP_CONTROL_MANAGEDSAIT), {0, nullptr}, 1};
    LDAPControl* controls[] = {&manage, nullptr};
    r = ldap_delete_ext_s(ld, dn.c_str(), controls, nullptr);
    if (r == LDAP_NO_SUCH_OBJECT) r = LDAP_SUCCESS;
    std::string rdnValue = dn.substr(dn.find('=') + 1, dn.find(',') - dn.find('=') - 1);
    char* classes[] = {const_cast<char*>("referral"), const_cast<char*>("extensibleObject"),
                       nullptr};
    char* names[] = {rdnValue.data(), nullptr};
    char* refs[] = {const_cast<char*>(url.c_str()), nullptr};
    LDAPMod objectClass{LDAP_MOD_ADD, const_cast<char*>("objectClass"), {classes}};
    LDAPMod cn{LDAP_MOD_ADD, const_cast<char*>("cn"), {names}};
    LDAPMod ref{LDAP_MOD_ADD, const_cast<char*>("ref"), {refs}};
    LDAPMod* mods[] = {&objectClass, &cn, &ref, nullptr};
    if (r == LDAP_SUCCESS) r = ldap_add_ext_s(ld, dn.c_str(), mods, controls, nullptr);
  }
  ldap_unbind_ext_s(ld, nullptr, nullptr);
  ASSERT_EQ(r, LDAP_SUCCESS) << "making " << dn << " a referral: " << ldap_err2string(r);
}

// The error a call raised (code 0: none), and how long the call took.
struct Outcome {
  int32_t code = 0;
  std::string message;
  Clock::duration took{};
};

Outcome Timed(const std::function<void()>& call) {
  Outcome outcome;
  const Clock::time_point start = Clock::now();
  try {
    call();
  } catch (const DirectoryError& e) {
    outcome.code = e.code();
    outcome.message = e.what();
  }
  outcome.took = Clock::now() - start;
  return outcome;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(LdapFaultTest, AReferralIsReportedWhereverItIsMetAndNeverFollowed) {
  const LdapTestServers servers = TestServers();
  CountingPort elsewhere;
  const std::string where = "ldap://127.0.0.1:" + std::to_string(elsewhere.port());
  PutReferral(servers, "cn=away,o=faults", where + "/o=elsewhere");
  Opened d(Source(servers.ldapUrl + "/o=faults"));
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();

  // A name beside the referral is still found level by level ("dock" is no "ou").
  EXPECT_EQ(ReadAttributeText(d.client, d.context, "crate.dock.faults", "Description"),
            "In the dock");

  // Reading the referral, or a name below it (typed, or typeless and found level by level),
  // fails and says where the server points; no read passes for "no such object".
  for (const char* name : {"away.faults", "cn=deep.cn=away.o=faults", "deep.away.faults"}) {
    const Outcome read = Timed([&] { ReadAttributeText(d.client, d.context, name, "CN"); });
    EXPECT_NE(read.code, 0) << name;
    EXPECT_NE(read.code, kErrNoSuchEntry) << name;
    EXPECT_TRUE(Contains(read.message, where)) << read.message;
    EXPECT_TRUE(Contains(read.message, "referrals are not followed")) << read.message;
  }
  EXPECT_EQ(Timed([&] { ReadAttributeText(d.client, d.context, "away.faults", "CN"); }).code,
            kErrRemoteFailure);

  // A search over the referral, or below it, is an incomplete list, never a short one; a search
  // that does not reach it is whole.
  for (const char* base : {"[root]", "faults", "away.faults"}) {
    const Outcome find = Timed([&] { FindObjectsByName(d.client, d.context, base, "", "CN", ""); });
    EXPECT_EQ(find.code, kErrListIncomplete) << base;
    EXPECT_TRUE(Contains(find.message, where)) << find.message;
    EXPECT_TRUE(Contains(find.message, "the list is incomplete")) << find.message;
  }
  EXPECT_EQ(FindObjectsByName(d.client, d.context, "dock.faults", "", "CN", "").size(), 1u);

  EXPECT_EQ(elsewhere.Connections(), 0);
}

}  // namespace
}  // namespace vorlix::directory
