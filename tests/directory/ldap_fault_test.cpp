// The LDAP client where the server sends it elsewhere or stops answering: referrals are reported,
// never followed (a search keeps what it found beside a reference and tells what it passed); a
// server that goes silent in the middle of a session ends each operation with an error, and the
// client still shuts down. The tests wait for the calls to return; how long they take is no
// business of theirs.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ldap.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "directory/directory_layer.h"
#include "directory/ldap_client.h"
#include "ldap_test_client.h"
#include "ldap_test_servers.h"

namespace vorlix::directory {
namespace {

using vorlix::testing::LdapTestServers;
using vorlix::testing::TestServers;

// The suffix that only these tests read and change, and who may change it.
constexpr const char* kFaultsAdminDn = "cn=admin,o=faults";

int PortOf(const std::string& url) {
  return std::stoi(url.substr(url.rfind(':') + 1));
}

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

// A TCP relay to a server on 127.0.0.1 that can be told to go silent: from then on it forwards
// nothing either way and answers no new connection, but closes no socket.
class Relay {
 public:
  explicit Relay(int targetPort) : target_(targetPort), listen_(ListenOnLoopback(port_)) {
    if (pipe(wake_) != 0) ADD_FAILURE() << "no pipe";
    thread_ = std::thread([this] { Run(); });
  }
  ~Relay() {
    stop_ = true;
    Wake();
    thread_.join();
    for (const auto& [fd, peer] : peers_) close(fd);
    close(listen_);
    close(wake_[0]);
    close(wake_[1]);
  }
  int port() const { return port_; }

  // Returns once nothing is forwarded any more.
  void Silence() {
    std::unique_lock<std::mutex> lock(mutex_);
    silent_ = true;
    Wake();
    changed_.wait(lock, [this] { return quiet_; });
  }

 private:
  void Wake() { [[maybe_unused]] ssize_t n = write(wake_[1], "x", 1); }

  void Run() {
    char buffer[65536];
    while (!stop_) {
      std::vector<pollfd> watched{{wake_[0], POLLIN, 0}};
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (silent_ && !quiet_) {
          quiet_ = true;
          changed_.notify_all();
        }
      }
      if (!quiet_) {
        watched.push_back({listen_, POLLIN, 0});
        for (const auto& [fd, peer] : peers_) watched.push_back({fd, POLLIN, 0});
      }
      if (poll(watched.data(), watched.size(), -1) <= 0) continue;
      if (watched[0].revents != 0) {
        [[maybe_unused]] ssize_t n = read(wake_[0], buffer, sizeof buffer);
        continue;  // the state changed: poll again with what it now allows
      }
      for (size_t i = 1; i < watched.size(); ++i) {
        if (watched[i].revents == 0) continue;
        if (watched[i].fd == listen_) {
          Accept();
        } else if (peers_.count(watched[i].fd) != 0) {
          Forward(watched[i].fd, buffer, sizeof buffer);
        }
      }
    }
  }

  void Accept() {
    const int client = accept(listen_, nullptr, nullptr);
    if (client < 0) return;
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(target_));
    if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(server);
      close(client);
      return;
    }
    peers_[client] = server;
    peers_[server] = client;
  }

  // Passes what came on fd to its peer; an end on either side ends both.
  void Forward(int fd, char* buffer, size_t size) {
    const int peer = peers_.at(fd);
    const ssize_t n = read(fd, buffer, size);
    bool ok = n > 0;
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t written = write(peer, buffer + done, static_cast<size_t>(n - done));
      ok = written > 0;
      done += written;
    }
    if (!ok) {
      peers_.erase(fd);
      peers_.erase(peer);
      close(fd);
      close(peer);
    }
  }

  int target_;
  int port_ = 0;
  int listen_;
  int wake_[2] = {-1, -1};
  std::map<int, int> peers_;  // both ends of every relayed connection, each to the other
  std::mutex mutex_;
  std::condition_variable changed_;
  bool silent_ = false;             // asked for (under mutex_)
  bool quiet_ = false;              // in effect (set by the relay's thread only)
  std::atomic<bool> stop_ = false;  // the thread ends
  std::thread thread_;
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
    const Outcome read = ErrorOf([&] { ReadAttributeText(d.client, d.context, name, "CN"); });
    EXPECT_NE(read.code, 0) << name;
    EXPECT_NE(read.code, kErrNoSuchEntry) << name;
    EXPECT_TRUE(Contains(read.message, where)) << read.message;
    EXPECT_TRUE(Contains(read.message, "referrals are not followed")) << read.message;
  }
  EXPECT_EQ(ErrorOf([&] { ReadAttributeText(d.client, d.context, "away.faults", "CN"); }).code,
            kErrRemoteFailure);

  // A search below the referral is sent elsewhere as a whole, and one that found nothing beside
  // it may miss what lies behind it: an incomplete list, never a short one.
  for (const auto& [base, pattern] :
       {std::pair{"away.faults", ""}, std::pair{"faults", "dee"}, std::pair{"[root]", "dee"}}) {
    const Outcome find =
        ErrorOf([&] { FindObjectsByName(d.client, d.context, base, "", "CN", pattern); });
    EXPECT_EQ(find.code, kErrListIncomplete) << base << " " << pattern;
    EXPECT_TRUE(Contains(find.message, where)) << find.message;
    EXPECT_TRUE(Contains(find.message, "the list is incomplete")) << find.message;
  }
  // A search that passes the referral lists what it found and tells, once, what it did not
  // follow; a search that does not reach it is whole and says nothing.
  d.client.TakeNotices();
  for (const char* base : {"[root]", "faults"}) {
    const NameList found = FindObjectsByName(d.client, d.context, base, "", "CN", "");
    ASSERT_EQ(found.size(), 1u) << base;
    EXPECT_EQ(found[0].text, "crate.dock.faults");
    EXPECT_EQ(FindObjectsByName(d.client, d.context, base, "", "CN", "c").size(), 1u);
    const std::vector<std::string> notices = d.client.TakeNotices();
    ASSERT_EQ(notices.size(), 1u) << base;
    EXPECT_EQ(notices[0], "Not searched: the server refers other parts of the directory to " +
                              where + "/o=elsewhere, and referrals are not followed.");
  }
  EXPECT_EQ(FindObjectsByName(d.client, d.context, "dock.faults", "", "CN", "").size(), 1u);
  EXPECT_TRUE(d.client.TakeNotices().empty());

  EXPECT_EQ(elsewhere.Connections(), 0);
}

TEST(LdapFaultTest, AServerThatFallsSilentMidSessionEndsEachOperationWithAnError) {
  const LdapTestServers servers = TestServers();
  Relay relay(PortOf(servers.ldapUrl));
  const std::string relayed = "127.0.0.1:" + std::to_string(relay.port());
  DirectorySource source = Source("ldap://" + relayed + "/o=harbourline", 1);
  source.bindDn = servers.adminDn;
  source.password = servers.adminPassword;
  auto d = std::make_unique<Opened>(source);
  ASSERT_TRUE(d->started) << d->client.StartupFailureReason();
  ASSERT_EQ(ReadAttributeText(d->client, d->context, "anna\\.berg.office.harbourline",
                              "Telephone Number"),
            "+31 20 555 0101");
  relay.Silence();

  // A search sent on the open connection fails, rather than passing for an empty list.
  const Outcome find =
      ErrorOf([&] { FindObjectsByName(d->client, d->context, "[root]", "Group", "CN", ""); });
  EXPECT_EQ(find.code, kErrTransportFailure);
  EXPECT_TRUE(
      Contains(find.message, "The server at " + relayed + " did not answer within 1 seconds"))
      << find.message;

  // The next read connects again; the bind meets the same silence.
  const Outcome read = ErrorOf([&] {
    ReadAttributeText(d->client, d->context, "daan\\.smit.office.harbourline", "Telephone Number");
  });
  EXPECT_EQ(read.code, kErrTransportFailure);
  EXPECT_TRUE(Contains(read.message, "Binding as " + servers.adminDn + ": the server at " +
                                         relayed + " did not answer within 1 seconds"))
      << read.message;

  d.reset();  // returns, though the server says nothing more
}

}  // namespace
}  // namespace vorlix::directory
