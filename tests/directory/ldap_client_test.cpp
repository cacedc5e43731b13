// The LDAP client against the test servers (ldap_test_servers.h): the client contract, names,
// filters, limits, faults and the reads kept in flight.

#include "directory/ldap_client.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "directory/directory_layer.h"
#include "directory/embedded_client.h"
#include "directory/ldap_paging.h"
#include "ldap_test_client.h"
#include "ldap_test_servers.h"

namespace vorlix::directory {
namespace {

using vorlix::testing::TestServers;

std::vector<std::string> Texts(const NameList& list) {
  std::vector<std::string> texts;
  for (const NameEntry& e : list) texts.push_back(e.text);
  return texts;
}

// The timeout of the sources that read the 5,000 members of o=fleet: reading the members of a
// group is one operation, and on a busy machine a slow one.
constexpr int kBusyMachineTimeout = 300;

int32_t ErrorCode(const std::function<void()>& call) {
  try {
    call();
  } catch (const DirectoryError& e) {
    return e.code();
  }
  return 0;
}

TEST(LdapClientTest, ReadsKeepTheClientContract) {
  Opened d(TestServers().ldapUrl + "/o=harbourline");
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(ReadTreeName(d.client, d.context), "HARBOURLINE_TREE");

  // 150 names do not fit one reply: the iteration carries the read across parts.
  const NameList seasonal =
      ReadAttributeList(d.client, d.context, "Seasonal Staff.groups.harbourline", "Member", ';');
  ASSERT_EQ(seasonal.size(), 150u);
  EXPECT_EQ(seasonal[149].text, "seasonal150.seasonal.harbourline");
  EXPECT_EQ(
      ReadAttributeText(d.client, d.context, "daan\\.smit.office.harbourline", "Telephone Number"),
      "+31 20 555 0104+31 6 5550 0104");
  EXPECT_EQ(ReadAttributeInteger(d.client, d.context, "WS-OFF-01.workstations.harbourline",
                                 "WM:Last Registered Time", 0),
            1705307400);

  // Absence: -601 for the object, empty results for the attribute; the placeholder member of
  // an empty group counts for nothing.
  EXPECT_EQ(ErrorCode([&] { ReadAttributeText(d.client, d.context, "nobody.harbourline", "CN"); }),
            kErrNoSuchEntry);
  EXPECT_EQ(ReadAttributeText(d.client, d.context, "finn\\.mulder.office.harbourline",
                              "Telephone Number"),
            "");
  EXPECT_TRUE(
      ReadAttributeList(d.client, d.context, "Empty Projects.groups.harbourline", "Member", ';')
          .empty());
  EXPECT_EQ(ReadAttributeInteger(d.client, d.context, "WS-DEP-03.workstations.harbourline",
                                 "WM:Last Registered Time", -7),
            -7);
  EXPECT_EQ(d.client.OpenBuffers(), 0u);
  EXPECT_EQ(d.client.OpenIterations(), 0u);

  // Without the typeless flag names come typed, and typed names are taken.
  OpenContextResult typed =
      OpenDirectoryContext(d.client, {.canonicalizeNames = true, .derefAliases = true});
  ASSERT_EQ(d.client.dsContextSet(typed.context, kKeyFlags, 0), 0);
  const NameList members =
      ReadAttributeList(d.client, typed.context, "Sales East.groups.harbourline", "Member", ';');
  ASSERT_FALSE(members.empty());
  EXPECT_EQ(members[0].text, "cn=anna\\.berg.ou=office.o=harbourline");
  EXPECT_EQ(ReadAttributeText(d.client, typed.context, members[0].text, "Telephone Number"),
            "+31 20 555 0101");
  d.client.dsCloseContext(typed.context);
}

TEST(LdapClientTest, NamesOfEveryShapeReadBackAsTheirEntriesSpellThem) {
  const vorlix::testing::LdapTestServers servers = TestServers();
  EmbeddedClient embedded(servers.namesLdif);
  ASSERT_EQ(embedded.calStartup(0, 0), kOk) << embedded.StartupFailureReason();
  const Context local = OpenDirectoryContext(embedded, kPlainContext).context;
  Opened d(servers.ldapUrl + "/o=names");
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();

  // The group writes its members in other spellings; both clients show the entries' own.
  const std::vector<std::string> names =
      Texts(ReadAttributeList(d.client, d.context, "Awkward.groups.names", "Member", ';'));
  EXPECT_EQ(names,
            Texts(ReadAttributeList(embedded, local, "Awkward.groups.names", "Member", ';')));
  EXPECT_NE(std::find(names.begin(), names.end(), "back\\\\.people.names"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "mid\\slash.people.names"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), " lead.people.names"), names.end());

  // Every name reads back, in a client that has seen it and in one that has not (which has to
  // find the types of its components).
  for (const std::string& name : names) {
    const std::string phone = ReadAttributeText(embedded, local, name, "Telephone Number");
    EXPECT_FALSE(phone.empty()) << name;
    EXPECT_EQ(ReadAttributeText(d.client, d.context, name, "Telephone Number"), phone) << name;
    Opened fresh(servers.ldapUrl + "/o=names");
    EXPECT_EQ(ReadAttributeText(fresh.client, fresh.context, name, "Telephone Number"), phone)
        << name;
  }
  // Named by "l": not where the types of a typeless name suggest; found level by level.
  Opened fresh(servers.ldapUrl + "/o=names");
  EXPECT_EQ(
      ReadAttributeText(fresh.client, fresh.context, "Pier 4.sea\\.side.names", "Description"),
      "Named by \"l\", not by \"cn\"");
  EXPECT_EQ(ErrorCode([&] {
              ReadAttributeText(fresh.client, fresh.context, "Pier 5.sea\\.side.names", "CN");
            }),
            kErrNoSuchEntry);
  embedded.dsCloseContext(local);
}

TEST(LdapClientTest, FiltersFindOnlyWhatTheyName) {
  Opened d(TestServers().ldapUrl + "/o=harbourline");
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  auto find = [&](const std::string& pattern) {
    return Texts(FindObjectsByName(d.client, d.context, "[root]", "Group", "CN", pattern));
  };
  EXPECT_EQ(find("Sal*East").size(), 1u);  // "*" stays a wildcard
  EXPECT_EQ(find("").size(), 8u);
  for (const std::string& attempt :
       {std::string("*)(cn=*"), std::string(")(|(cn=*"), std::string("Sales\0", 6),
        std::string("\\"), std::string("Sales)"), std::string("*))%00")}) {
    EXPECT_TRUE(find(attempt).empty()) << attempt;
  }
  // The class is matched exactly: a workstation group is no group.
  EXPECT_TRUE(find("Office W").empty());
}

TEST(LdapClientTest, PagingPassesTheSizeLimitAndALimitThatStopsASearchIsTold) {
  const vorlix::testing::LdapTestServers servers = TestServers();
  // 5,000 workstations through a server that hands out 500 entries per search.
  Opened fleet(Source(servers.ldapUrl + "/o=fleet", kBusyMachineTimeout));
  ASSERT_TRUE(fleet.started) << fleet.client.StartupFailureReason();
  EXPECT_EQ(
      FindObjectsByName(fleet.client, fleet.context, "[root]", "zenWorkstation", "CN", "FLEET-WS-")
          .size(),
      5000u);

  // Bound as a user who may see 5 entries and not page: a short list is an error, not a list.
  DirectorySource limited = Source(servers.ldapUrl + "/o=harbourline");
  limited.bindDn = servers.limitedDn;
  limited.password = servers.limitedPassword;
  Opened d(limited);
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(FindObjectsByName(d.client, d.context, "[root]", "Group", "CN", "Sales").size(), 3u);
  try {
    FindObjectsByName(d.client, d.context, "[root]", "Group", "CN", "");
    FAIL() << "the list cut short came back as a list";
  } catch (const DirectoryError& e) {
    EXPECT_EQ(e.code(), kErrListIncomplete);
    EXPECT_NE(std::string(e.what()).find("the list is incomplete"), std::string::npos) << e.what();
  }
}

// The reads of a workstation-group lookup: the member list and the description, then per member
// its three values and its user's phone.
std::vector<std::string> LookUpRows(LdapClient& client, Context context, const std::string& group,
                                    size_t rows) {
  const NameList members = ReadAttributeList(client, context, group, "Member", ';');
  std::vector<std::string> out{ReadAttributeText(client, context, group, "Description")};
  for (size_t i = 0; i < members.size() && i < rows; ++i) {
    const std::string& ws = members[i].text;
    const std::string user = ReadAttributeText(client, context, ws, "WM:NAME User");
    out.push_back(
        ws + "|" + user + "|" +
        std::to_string(ReadAttributeInteger(client, context, ws, "WM:Last Registered Time", 0)) +
        "|" + ReadAttributeText(client, context, ws, "ZEN:INV IP Address") + "|" +
        (user.empty() ? "" : ReadAttributeText(client, context, user, "Telephone Number")));
  }
  return out;
}

// The plan a lookup of kind workstation group announces.
ReadAheadPlan WorkstationPlan(const std::string& group) {
  ReadAheadPlan plan{group, "Member", {}, {"Description"}};
  plan.steps.push_back(
      {{"WM:NAME User", "WM:Last Registered Time", "ZEN:INV IP Address"}, "WM:NAME User"});
  plan.steps.push_back({{"Telephone Number"}, ""});
  return plan;
}

TEST(LdapClientTest, AnnouncedReadsSearchEachContainerOnceAndGiveTheSameResults) {
  const DirectorySource url = Source(TestServers().ldapUrl + "/o=fleet", kBusyMachineTimeout);
  const std::string group = "Fleet Terminals.groups.fleet";
  Opened ahead(url), alone(url);
  ASSERT_TRUE(ahead.started && alone.started);

  const size_t before = ahead.client.RequestsSent();
  ahead.client.dsReadAhead(ahead.context, WorkstationPlan(group));
  const std::vector<std::string> rows = LookUpRows(ahead.client, ahead.context, group, 5000);
  ASSERT_EQ(rows.size(), 5001u);
  // One by one this is 2 + 5,000 * 4 requests. The group once, and the pages of one search of
  // the workstations' container and one of their users'.
  EXPECT_LE(ahead.client.RequestsSent() - before, 1 + 2 * (5000 / kFirstPageSize + 1));

  // The first rows, read one by one, say the same.
  EXPECT_EQ(LookUpRows(alone.client, alone.context, group, 120),
            std::vector<std::string>(rows.begin(), rows.begin() + 121));
  EXPECT_EQ(rows[0], "Every terminal of the fleet");
  EXPECT_EQ(rows[11], "FLEET-WS-0011.workstations.fleet||1734001860|[10.0.0.11]|");
  EXPECT_EQ(rows[14],
            "FLEET-WS-0014.workstations.fleet|crew0014.crew.fleet|1710512040|[10.0.0.14]|");
  EXPECT_EQ(rows[1],
            "FLEET-WS-0001.workstations.fleet|crew0001.crew.fleet|1706835660|[10.0.0.1]|+31 10 "
            "556 0001");
}

TEST(LdapClientTest, AServerThatRefusesThePageSizeGetsSmallerPages) {
  const vorlix::testing::LdapTestServers servers = TestServers();
  // Bound as a user whose pages may hold 100 entries: the searches and the lookup are whole.
  DirectorySource pager = Source(servers.ldapUrl + "/o=fleet", kBusyMachineTimeout);
  pager.bindDn = servers.pagerDn;
  pager.password = servers.pagerPassword;
  Opened d(pager);
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(
      FindObjectsByName(d.client, d.context, "[root]", "zenWorkstation", "CN", "FLEET-WS-").size(),
      5000u);
  const std::string group = "Fleet Terminals.groups.fleet";
  d.client.dsReadAhead(d.context, WorkstationPlan(group));
  const std::vector<std::string> rows = LookUpRows(d.client, d.context, group, 5000);
  ASSERT_EQ(rows.size(), 5001u);
  EXPECT_EQ(rows[5000],
            "FLEET-WS-5000.workstations.fleet|crew5000.crew.fleet|1726561200|"
            "[10.0.19.136]|+31 10 556 5000");
}

TEST(LdapClientTest, ALookupOfASmallGroupReadsTheGroupOnceAndEachMemberOnce) {
  Opened d(TestServers().ldapUrl + "/o=harbourline");
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  const std::string group = "Sales East.groups.harbourline";
  const size_t before = d.client.RequestsSent();
  d.client.dsReadAhead(
      d.context, ReadAheadPlan{group, "Member", {{{"Telephone Number"}, ""}}, {"Description"}});
  const NameList members = ReadAttributeList(d.client, d.context, group, "Member", ';');
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(ReadAttributeText(d.client, d.context, group, "Description"),
            "Sales team for the eastern region");
  for (const NameEntry& member : members) {
    ReadAttributeText(d.client, d.context, member.text, "Telephone Number");
  }
  EXPECT_EQ(d.client.RequestsSent() - before, 1 + members.size());
}

// A TCP port that accepts connections and never answers.
class SilentServer {
 public:
  SilentServer() : fd_(ListenOnLoopback(port_)) {}
  ~SilentServer() { close(fd_); }
  int port() const { return port_; }

 private:
  int port_ = 0;
  int fd_;
};

TEST(LdapClientTest, FailuresToConnectOrBindSayWhy) {
  const vorlix::testing::LdapTestServers servers = TestServers();
  auto startFailure = [](DirectorySource source) {
    LdapClient client(std::move(source));
    EXPECT_NE(client.calStartup(0, 0), kOk);
    return client.StartupFailureReason();
  };

  DirectorySource wrong = Source(servers.ldapUrl + "/o=harbourline");
  wrong.bindDn = servers.adminDn;
  wrong.password = "not the password";
  EXPECT_EQ(startFailure(wrong), "Netware error -669 (0xFFFFFD63): Binding as " + servers.adminDn +
                                     ": Invalid credentials (49)");
  wrong.password.clear();
  EXPECT_NE(startFailure(wrong).find("no password was given"), std::string::npos);

  EXPECT_EQ(startFailure(Source("ldap://127.0.0.1:1/o=x")),
            "Netware error -625 (0xFFFFFD8F): Connecting to 127.0.0.1:1: Can't contact LDAP "
            "server (-1)");
  EXPECT_NE(startFailure(Source("ldap:///o=x")).find("names no server"), std::string::npos);

  // A server that accepts and never answers: plain, over TLS, with StartTLS.
  SilentServer silent;
  const std::string where = "127.0.0.1:" + std::to_string(silent.port());
  for (const char* scheme : {"ldap", "ldaps", "starttls"}) {
    DirectorySource source =
        Source((scheme == std::string("ldaps") ? "ldaps://" : "ldap://") + where);
    source.startTls = scheme == std::string("starttls");
    source.timeoutSeconds = 1;
    const std::string reason = startFailure(source);
    EXPECT_NE(reason.find("-625"), std::string::npos) << reason;
    EXPECT_NE(reason.find("within 1 seconds"), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace vorlix::directory
