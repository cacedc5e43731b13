// The LDAP client against a stand-in server that misbehaves on purpose: refusals, replies that
// cannot be decoded, paging without progress, answers that trickle or never end, entries with
// endless attributes. Every case ends with an error that says what happened, never with a short
// list, and none hangs: the tests wait for the call to return, never for a time.

#include <gtest/gtest.h>
#include <ldap.h>
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "directory/directory_layer.h"
#include "directory/entry_fetcher.h"
#include "directory/ldap_client.h"
#include "directory/ldap_paging.h"
#include "ldap_test_client.h"
#include "support/fake_ldap_server.h"

namespace vorlix::directory {
namespace {

using testing::FakeLdapServer;
using testing::LdapAnswer;
using testing::ldap_messages::Attributes;
using testing::ldap_messages::DoneOp;
using testing::ldap_messages::EntryOp;
using testing::ldap_messages::kSearchDone;
using testing::ldap_messages::Octets;
using testing::ldap_messages::Tlv;

// Answers the start-up read of the root DSE as a server of o=t without a published schema (the
// program's names then follow the naming rule); every other search goes to `search`.
FakeLdapServer::Handler Directory(std::function<void(LdapAnswer&)> search) {
  return [search = std::move(search)](LdapAnswer& answer) {
    if (answer.request().base.empty() && answer.request().scope == LDAP_SCOPE_BASE) {
      answer.Entry("", {{"namingContexts", {"o=t"}}});
      answer.Done();
      return;
    }
    search(answer);
  };
}

// A source for the server; the timeout is a generous ceiling unless a test is about it.
DirectorySource SourceOf(const FakeLdapServer& server, int timeoutSeconds = 120) {
  return Source(server.Url("o=t"), timeoutSeconds);
}

NameList FindGroups(Opened& d) {
  return FindObjectsByName(d.client, d.context, "[root]", "Group", "CN", "");
}

const Attributes kGroupClass = {{"objectClass", {"groupOfNames"}}};

TEST(LdapBrokenServerTest, ARefusedSearchOrReadIsAnErrorWithTheServersTextInOneForm) {
  struct Row {
    int ldapResult;
    std::string text;
    int32_t code;
  };
  for (const Row& row : {Row{LDAP_INSUFFICIENT_ACCESS, "no anonymous searches here", kErrNoAccess},
                         Row{LDAP_UNWILLING_TO_PERFORM, "authentication required", kErrNoAccess},
                         Row{LDAP_ADMINLIMIT_EXCEEDED, "too many", kErrListIncomplete},
                         Row{LDAP_OPERATIONS_ERROR, "bind first", kErrRemoteFailure}}) {
    FakeLdapServer server(Directory([&](LdapAnswer& a) { a.Done(row.ldapResult, row.text); }));
    Opened d(SourceOf(server));
    ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
    // What was being done, the code's description and number, and the server's text.
    const std::string told = std::string(ldap_err2string(row.ldapResult)) + " (" +
                             std::to_string(row.ldapResult) + "): " + row.text;
    const Outcome find = ErrorOf([&] { FindGroups(d); });
    EXPECT_EQ(find.code, row.code) << row.text;
    EXPECT_TRUE(Contains(find.message, "Searching o=t: ")) << find.message;
    EXPECT_TRUE(Contains(find.message, row.text)) << find.message;
    EXPECT_TRUE(Contains(find.message, told)) << find.message;
    const Outcome read =
        ErrorOf([&] { ReadAttributeText(d.client, d.context, "G.t", "Description"); });
    EXPECT_EQ(read.code, row.code) << row.text;
    EXPECT_TRUE(Contains(read.message, "Reading cn=G,o=t: " + told)) << read.message;
  }
}

TEST(LdapBrokenServerTest, AReplyThatCannotBeDecodedIsAnErrorNamingTheEntry) {
  // An attribute whose value claims more bytes than it holds.
  const std::string broken = Tlv(0x30, Octets("description") + Tlv(0x31, "\x04\x10short"));
  const std::string member = Tlv(0x30, Octets("member") + Tlv(0x31, Octets("cn=a,o=t")));
  struct Row {
    std::string what;
    std::function<void(LdapAnswer&)> answer;
    std::function<void(Opened&)> call;
    std::string named;
  };
  const std::vector<Row> rows = {
      {"an attribute before the members of the group read",
       [&](LdapAnswer& a) {
         a.Raw(Tlv(0x64, Octets("cn=G,o=t") + Tlv(0x30, broken + member)));
         a.Done();
       },
       [](Opened& d) { ReadAttributeList(d.client, d.context, "G.t", "Member", ';'); },
       "the entry \"cn=G,o=t\", which cannot be decoded"},
      {"an entry among the matches of a search",
       [&](LdapAnswer& a) {
         a.Entry("cn=A,o=t", kGroupClass);
         a.Raw(Tlv(0x64, Octets("cn=B,o=t") + Tlv(0x30, broken)));
         a.Entry("cn=C,o=t", kGroupClass);
         a.Done();
       },
       [](Opened& d) { FindGroups(d); }, "the entry \"cn=B,o=t\""},
      {"the name of an entry",
       [&](LdapAnswer& a) {
         a.Raw(Tlv(0x64, std::string("\x04\x20") + "cn=B"));
         a.Done();
       },
       [](Opened& d) { FindGroups(d); }, "an entry whose name cannot be decoded"},
      {"the paging control",
       [&](LdapAnswer& a) {
         a.Entry("cn=A,o=t", kGroupClass);
         a.Raw(DoneOp(kSearchDone, 0, ""),
               Tlv(0xa0, Tlv(0x30, Octets(LDAP_CONTROL_PAGEDRESULTS) + Octets("\x30\x09"))));
       },
       [](Opened& d) { FindGroups(d); }, "a paged-results control that cannot be decoded"},
      {"a paging control without a value",
       [&](LdapAnswer& a) {
         a.Entry("cn=A,o=t", kGroupClass);
         a.Raw(DoneOp(kSearchDone, 0, ""), Tlv(0xa0, Tlv(0x30, Octets(LDAP_CONTROL_PAGEDRESULTS))));
       },
       [](Opened& d) { FindGroups(d); }, "a paged-results control that cannot be decoded"},
  };
  for (const Row& row : rows) {
    FakeLdapServer server(Directory(row.answer));
    Opened d(SourceOf(server));
    ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
    const Outcome outcome = ErrorOf([&] { row.call(d); });
    EXPECT_EQ(outcome.code, kErrRemoteFailure) << row.what << ": " << outcome.message;
    EXPECT_TRUE(Contains(outcome.message, row.named)) << row.what << ": " << outcome.message;
  }
}

TEST(LdapBrokenServerTest, APagedSearchThatMakesNoProgressEnds) {
  struct Row {
    std::string what;
    std::function<void(LdapAnswer&, int page)> answer;
    std::string said;
  };
  const std::vector<Row> rows = {
      {"the same entry and the cookie it was given, again and again",
       [](LdapAnswer& a, int) {
         a.Entry("cn=A,o=t", kGroupClass);
         a.Done(0, "", a.request().cookie.empty() ? "again" : a.request().cookie);
       },
       "with the cookie it was given and no new entry"},
      {"empty pages without end",
       [](LdapAnswer& a, int page) { a.Done(0, "", "page " + std::to_string(page)); },
       "pages in a row without a new entry"},
  };
  for (const Row& row : rows) {
    std::atomic<int> pages = 0;
    FakeLdapServer server(Directory([&](LdapAnswer& a) { row.answer(a, ++pages); }));
    Opened d(SourceOf(server));
    ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
    const Outcome find = ErrorOf([&] { FindGroups(d); });
    EXPECT_EQ(find.code, kErrRemoteFailure) << row.what;
    EXPECT_TRUE(Contains(find.message, row.said)) << row.what << ": " << find.message;
    EXPECT_LE(pages, static_cast<int>(kMaxPagesWithoutProgress)) << row.what;
  }
}

TEST(LdapBrokenServerTest, ASmallerPageIsTriedWhenTheServerRefusesThePageSize) {
  // Pages of at most 60 entries, as a server's ceiling says; 150 groups, and no more than 100
  // without pages.
  constexpr int kCeiling = 60, kGroups = 150;
  FakeLdapServer server(Directory([&](LdapAnswer& a) {
    const testing::LdapRequest& r = a.request();
    if (!r.paged) {
      for (int i = 0; i < 100; ++i) a.Entry("cn=g" + std::to_string(i) + ",o=t", kGroupClass);
      a.Done(LDAP_SIZELIMIT_EXCEEDED);
      return;
    }
    if (r.pageSize > kCeiling) {
      a.Done(LDAP_ADMINLIMIT_EXCEEDED, "illegal pagedResults page size");
      return;
    }
    const int first = r.cookie.empty() ? 0 : std::stoi(r.cookie);
    const int end = std::min(first + r.pageSize, kGroups);
    for (int i = first; i < end; ++i) a.Entry("cn=g" + std::to_string(i) + ",o=t", kGroupClass);
    a.Done(0, "", end < kGroups ? std::to_string(end) : "");
  }));
  Opened d(SourceOf(server));
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(FindGroups(d).size(), static_cast<size_t>(kGroups));
  // The size that worked is kept: the next search asks for it at once.
  const size_t before = server.Searches().size();
  EXPECT_EQ(FindGroups(d).size(), static_cast<size_t>(kGroups));
  const std::vector<testing::LdapRequest> searches = server.Searches();
  ASSERT_GT(searches.size(), before);
  EXPECT_LE(searches[before].pageSize, kCeiling);
  EXPECT_GE(searches[before].pageSize, kCeiling / 2);
}

TEST(LdapBrokenServerTest, TheTimeoutBoundsAWholeSearchHoweverSlowlyItsEntriesCome) {
  // One entry every 50 ms, each wait far shorter than the timeout; the answer would end after a
  // minute.
  FakeLdapServer server(Directory([](LdapAnswer& a) {
    for (int i = 0; i < 1200; ++i) {
      if (!a.Entry("cn=g" + std::to_string(i) + ",o=t", kGroupClass)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    a.Done();
  }));
  Opened d(SourceOf(server, 1));
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  const Outcome find = ErrorOf([&] { FindGroups(d); });
  EXPECT_EQ(find.code, kErrTransportFailure);
  EXPECT_TRUE(Contains(find.message, "did not finish its answer within 1 seconds")) << find.message;
}

TEST(LdapBrokenServerTest, ASearchTakesNoMoreEntriesThanItCanUse) {
  // Entries without end, to a search of the whole tree and to the read of one entry.
  FakeLdapServer server(Directory([](LdapAnswer& a) {
    for (size_t i = 0;; ++i) {
      if (!a.Entry("cn=g" + std::to_string(i) + ",o=t", kGroupClass)) return;
    }
  }));
  Opened d(SourceOf(server));
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  const Outcome find = ErrorOf([&] { FindGroups(d); });
  EXPECT_EQ(find.code, kErrListIncomplete);
  EXPECT_TRUE(Contains(find.message, "more than " + std::to_string(kMaxSearchEntries) + " entries"))
      << find.message;
  const Outcome read = ErrorOf([&] { ReadAttributeText(d.client, d.context, "G.t", "CN"); });
  EXPECT_EQ(read.code, kErrRemoteFailure);
  EXPECT_TRUE(Contains(read.message, "more than one entry")) << read.message;
}

TEST(LdapBrokenServerTest, AnEntryWithAHundredThousandAttributesReadsWhole) {
  constexpr int kAttributes = 100000;
  FakeLdapServer server(Directory([](LdapAnswer& a) {
    Attributes attributes;
    for (int i = 0; i < kAttributes; ++i) attributes.push_back({"x" + std::to_string(i), {"v"}});
    // Options make one attribute of several: their values join.
    attributes.push_back({"description;lang-en", {"first"}});
    attributes.push_back({"x7;binary", {"w"}});
    attributes.push_back({"Description", {"second"}});
    a.Entry("cn=wide,o=t", attributes);
    a.Done();
  }));
  Opened d(SourceOf(server));
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  EXPECT_EQ(ReadAttributeText(d.client, d.context, "wide.t", "Description"), "firstsecond");
  const NameList x7 = ReadAttributeList(d.client, d.context, "wide.t", "x7", ';');
  ASSERT_EQ(x7.size(), 2u);
  EXPECT_EQ(x7[1].text, "w");
}

// A directory the test holds: base reads and one-level searches of its entries (filters are not
// looked at), in pages of at most 100 entries when asked; counts the entries it sends.
struct FakeTree {
  static constexpr size_t kMaxPage = 100;
  std::vector<std::pair<std::string, Attributes>> entries;
  std::atomic<size_t> scanned = 0;  // entries sent to one-level searches
  std::atomic<size_t> read = 0;     // base reads answered

  void Add(const std::string& dn, Attributes attributes) {
    entries.emplace_back(dn, std::move(attributes));
  }

  void Answer(LdapAnswer& a) {
    const testing::LdapRequest& r = a.request();
    if (r.scope == LDAP_SCOPE_BASE) {
      ++read;
      for (const auto& [dn, attributes] : entries) {
        if (strcasecmp(dn.c_str(), r.base.c_str()) == 0) {
          a.Entry(dn, attributes);
          a.Done();
          return;
        }
      }
      a.Done(LDAP_NO_SUCH_OBJECT);
      return;
    }
    std::vector<size_t> children;
    for (size_t i = 0; i < entries.size(); ++i) {
      const std::string& dn = entries[i].first;
      const size_t comma = dn.find(',');
      if (comma != std::string::npos && strcasecmp(dn.c_str() + comma + 1, r.base.c_str()) == 0) {
        children.push_back(i);
      }
    }
    const size_t first = r.cookie.empty() ? 0 : std::stoul(r.cookie);
    const size_t end = r.paged ? std::min({children.size(), first + r.pageSize, first + kMaxPage})
                               : children.size();
    for (size_t i = first; i < end; ++i) {
      ++scanned;
      if (!a.Entry(entries[children[i]].first, entries[children[i]].second)) return;
    }
    if (r.paged) {
      a.Done(0, "", end < children.size() ? std::to_string(end) : "");
    } else {
      a.Done();
    }
  }
};

std::string Person(size_t i) {
  return "cn=p" + std::to_string(i) + ",ou=p,o=t";
}

// The group cn=G,o=t with the last `members` of the `people` of ou=p,o=t (cn=pN, phone N).
void FillPeople(FakeTree& tree, size_t members, size_t people) {
  Attributes group = {{"objectClass", {"groupOfNames"}}, {"member", {}}};
  for (size_t i = people - members; i < people; ++i) group[1].second.push_back(Person(i));
  tree.Add("cn=G,o=t", group);
  for (size_t i = 0; i < people; ++i) {
    tree.Add(Person(i), {{"objectClass", {"person"}}, {"telephoneNumber", {std::to_string(i)}}});
  }
}

// The phones of the members of G, read as a lookup of a group reads them, sorted.
std::vector<std::string> MemberPhones(Opened& d) {
  d.client.dsReadAhead(d.context, ReadAheadPlan{"G.t", "Member", {{{"Telephone Number"}, ""}}, {}});
  std::vector<std::string> phones;
  for (const NameEntry& member : ReadAttributeList(d.client, d.context, "G.t", "Member", ';')) {
    phones.push_back(ReadAttributeText(d.client, d.context, member.text, "Telephone Number"));
  }
  std::sort(phones.begin(), phones.end());
  return phones;
}

std::vector<std::string> Numbers(size_t from, size_t to) {
  std::vector<std::string> numbers;
  for (size_t i = from; i < to; ++i) numbers.push_back(std::to_string(i));
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

TEST(LdapBrokenServerTest, MembersAreReadOneByOneOrWithOneSearchOfTheirContainer) {
  struct Row {
    size_t members, people;
    std::string what;
    size_t maxScanned;  // entries the server may send to one-level searches
    size_t maxReads;    // base reads besides the group's
  };
  const size_t few = EntryFetcher::kScanFrom - 1, many = EntryFetcher::kScanFrom;
  const size_t givenUp = EntryFetcher::kScanRatio * many + EntryFetcher::kScanSlack;
  for (const Row& row : {
           Row{few, 3000, "a few members: read one by one", 0, few},
           Row{many, many, "many members: their container in one search", many, 0},
           Row{many, 4000, "a container far larger than the group: given up for reads",
               givenUp + FakeTree::kMaxPage, many},
       }) {
    FakeTree tree;
    FillPeople(tree, row.members, row.people);
    FakeLdapServer server(Directory([&](LdapAnswer& a) { tree.Answer(a); }));
    Opened d(SourceOf(server));
    ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
    EXPECT_EQ(MemberPhones(d), Numbers(row.people - row.members, row.people)) << row.what;
    EXPECT_LE(tree.scanned, row.maxScanned) << row.what;
    EXPECT_LE(tree.read, 1 + row.maxReads) << row.what;  // the group, read once
  }
}

TEST(LdapBrokenServerTest, SilenceWithReadsInFlightFailsThemAllOnOneTimeout) {
  // 200 workstations (ou=w) with a user each (ou=p): the second page of the users never comes.
  constexpr size_t kCount = 200;
  FakeTree tree;
  Attributes group = {{"objectClass", {"zenWorkstationGroup"}}, {"member", {}}};
  for (size_t i = 0; i < kCount; ++i) {
    group[1].second.push_back("cn=w" + std::to_string(i) + ",ou=w,o=t");
  }
  tree.Add("cn=G,o=t", group);
  for (size_t i = 0; i < kCount; ++i) {
    tree.Add("cn=w" + std::to_string(i) + ",ou=w,o=t", {{"wMNAMEUser", {Person(i)}}});
    tree.Add(Person(i), {{"telephoneNumber", {std::to_string(i)}}});
  }
  FakeLdapServer server(Directory([&](LdapAnswer& a) {
    if (a.request().base == "ou=p,o=t" && !a.request().cookie.empty()) {
      server.Wait();
      return;
    }
    tree.Answer(a);
  }));
  Opened d(SourceOf(server, 3));
  ASSERT_TRUE(d.started) << d.client.StartupFailureReason();
  ReadAheadPlan plan{"G.t", "Member", {}, {}};
  plan.steps.push_back({{"WM:NAME User"}, "WM:NAME User"});
  plan.steps.push_back({{"Telephone Number"}, ""});
  d.client.dsReadAhead(d.context, plan);
  const NameList members = ReadAttributeList(d.client, d.context, "G.t", "Member", ';');
  ASSERT_EQ(members.size(), kCount);

  // What came is read; the first read that needs the missing page fails on the timeout.
  auto row = [&](const std::string& workstation) {
    return ErrorOf([&] {
      const std::string user = ReadAttributeText(d.client, d.context, workstation, "WM:NAME User");
      ReadAttributeText(d.client, d.context, user, "Telephone Number");
    });
  };
  size_t next = 0;
  Outcome first;
  while (next < kCount && first.code == 0) first = row(members[next++].text);
  ASSERT_LT(next, kCount) << "every read succeeded through a silent server";
  EXPECT_GT(next, 1u);
  EXPECT_EQ(first.code, kErrTransportFailure);
  EXPECT_TRUE(Contains(first.message, "did not answer within 3 seconds")) << first.message;

  // The reads that waited for the same page fail with it, without asking the server again.
  const size_t searches = server.Searches().size();
  for (; next < kCount; ++next) {
    EXPECT_EQ(row(members[next].text).code, kErrTransportFailure) << members[next].text;
  }
  EXPECT_EQ(server.Searches().size(), searches);
  EXPECT_EQ(server.Connections(), 1);
}

}  // namespace
}  // namespace vorlix::directory
