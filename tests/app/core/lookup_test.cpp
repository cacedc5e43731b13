#include "app/core/lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <set>

#include "../../directory/fault_client.h"
#include "app/core/kinds.h"
#include "app/core/startup.h"
#include "directory/directory_layer.h"
#include "fake_ui.h"
#include "platform/locale_facts.h"

namespace vorlix::core {
namespace {

using testing::FakeWindow;

// Passes every call on, recording the plan a lookup announces and each read it makes (object and
// attribute).
class ReadRecorder : public directory::testing::FaultClient {
 public:
  using FaultClient::FaultClient;
  void dsReadAhead(directory::Context c, const directory::ReadAheadPlan& plan) override {
    plans.push_back(plan);
    FaultClient::dsReadAhead(c, plan);
  }
  int32_t dsBufferAddName(directory::Context c, directory::Buffer b,
                          const std::string& name) override {
    attribute = name;
    return FaultClient::dsBufferAddName(c, b, name);
  }
  int32_t dsReadEntry(directory::Context c, const std::string& object, int32_t i, int32_t a,
                      directory::Buffer request, directory::Iteration& it,
                      directory::Buffer reply) override {
    if (it == directory::kNoIteration) reads.emplace_back(object, attribute);
    return FaultClient::dsReadEntry(c, object, i, a, request, it, reply);
  }
  std::vector<directory::ReadAheadPlan> plans;
  std::vector<std::pair<std::string, std::string>> reads;
  std::string attribute;
};

// Passes every call on; each search adds a notice, as a directory server's references would.
class NoticingClient : public directory::testing::FaultClient {
 public:
  using FaultClient::FaultClient;
  int32_t dsSearchTree(directory::Context c, const std::string& b, int32_t s, int32_t al,
                       directory::Buffer f, int32_t i, int32_t a, directory::Buffer l,
                       directory::Iteration& it, int32_t t, int32_t n,
                       directory::Buffer r) override {
    pending.push_back("searched below " + b);
    return FaultClient::dsSearchTree(c, b, s, al, f, i, a, l, it, t, n, r);
  }
  std::vector<std::string> TakeNotices() override {
    std::vector<std::string> taken;
    taken.swap(pending);
    return taken;
  }
  std::vector<std::string> pending;
};

const std::string kTree = std::string(VORLIX_TEST_DATA_DIR) + "/core/lookup-tree.ldif";

Configuration TreeConfiguration(const std::string& path = kTree) {
  Configuration c;
  c.hasDirectory = true;
  c.directory.source = path;
  return c;
}

class CoreLookup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    tzset();
    platform::LocaleFacts facts;
    facts.shortDateFormat = "mm/dd/yyyy";
    facts.longTimeFormat = "hh:nn:ss";
    facts.dateSeparator = '-';
    facts.timeSeparator = ':';
    platform::SetFormatSettings(facts);
  }
  void SetUp() override {
    const StartupResult started = RunStartupStep(state_, TreeConfiguration());
    ASSERT_TRUE(started.clientStarted) << (started.messages.empty() ? "" : started.messages[0]);
    ASSERT_TRUE(started.completed);
  }
  void TearDown() override { Shutdown(state_); }

  LookupResult Find(const std::string& text, Kind kind = Kind::Group) {
    return ListMembers(state_, text, kind, w_.ui);
  }
  std::vector<std::vector<std::string>> Table() const {
    std::vector<std::vector<std::string>> out;
    for (const auto& r : w_.table.Rows()) {
      out.push_back({r.caption, r.cells[0], r.cells[1], r.cells[2], r.cells[3]});
    }
    return out;
  }

  AppState state_;
  FakeWindow w_;
};

TEST_F(CoreLookup, StartupReadsTheTreeAndShutdownRunsOnce) {
  EXPECT_EQ(state_.TreeName, "CORE-TEST");
  EXPECT_TRUE(state_.ContextOpened());
  Shutdown(state_);
  EXPECT_FALSE(state_.ContextOpened());
  Shutdown(state_);  // a second shutdown does nothing

  // A broken directory section is told first; the phone settings apply once the tree is read.
  AppState configured;
  Configuration withChain = TreeConfiguration();
  withChain.problem = "vorlix.ini [DIRECTORY] line 3: unknown key";
  withChain.PhoneChainEnabled = true;
  withChain.PhoneAttributes = {"L", "Telephone Number"};
  const StartupResult told = RunStartupStep(configured, withChain);
  EXPECT_TRUE(told.completed);
  EXPECT_FALSE(told.closeWindow);
  EXPECT_EQ(told.messages, std::vector<std::string>{withChain.problem});
  EXPECT_TRUE(configured.PhoneChainEnabled);
  EXPECT_EQ(configured.PhoneAttributes.size(), 2u);
  Shutdown(configured);

  AppState missing;
  const StartupResult failed = RunStartupStep(missing, TreeConfiguration("/no/such/tree.ldif"));
  EXPECT_FALSE(failed.clientStarted);
  EXPECT_FALSE(missing.ContextOpened());
  ASSERT_EQ(failed.messages.size(), 1u);
  EXPECT_EQ(failed.messages[0].rfind("Novell Client not installed?\n", 0), 0u)
      << failed.messages[0];
  EXPECT_GT(failed.messages[0].size(), std::string("Novell Client not installed?\n").size());
  Shutdown(missing);
}

TEST_F(CoreLookup, TheClientsNoticesAreToldOnceAfterEachLookupHoweverItEnds) {
  NoticingClient noticing(*state_.client);
  state_.client = &noticing;
  const LookupResult listed = Find("staff east");
  EXPECT_EQ(listed.status, LookupStatus::Listed);
  EXPECT_EQ(listed.notices, std::vector<std::string>{"searched below [root]"});
  EXPECT_EQ(w_.statusBar.notice, "searched below [root]");

  noticing.pending = {"one.", "two."};
  noticing.FailOn("dsSearchTree", 2, directory::kErrTransportFailure);
  const LookupResult failed = Find("staff east");
  EXPECT_EQ(failed.status, LookupStatus::DirectoryError);
  EXPECT_EQ(w_.statusBar.notice, "one. two. searched below [root]");

  // Nothing to tell: the notice of the lookup before goes.
  noticing.FailOn("dsFilterNew", noticing.Calls("dsFilterNew") + 1, directory::kErrInvalidRequest);
  EXPECT_EQ(Find("staff east").status, LookupStatus::DirectoryError);
  EXPECT_TRUE(w_.statusBar.notice.empty());
  EXPECT_EQ(w_.messages.shown.size(), 2u);
}

TEST_F(CoreLookup, SeveralMatchesGoToTheChoiceAndTheChosenGroupIsListed) {
  state_.CurrentObjectName = "earlier.acme";
  const LookupResult cancelled = Find("staff");
  EXPECT_EQ(cancelled.status, LookupStatus::NotChosen);
  // Sorted as the names sort in the (here: C) locale: the blank before the dot.
  EXPECT_EQ(w_.choice.shown,
            (std::vector<std::string>{"Staff East.acme", "Staff West.acme", "Staff.acme"}));
  EXPECT_EQ(state_.CurrentObjectName, "earlier.acme");
  EXPECT_EQ(w_.table.RowCount(), 0);
  EXPECT_EQ(w_.statusBar.panels, (std::array<std::string, 3>{"", "", ""}));
  EXPECT_FALSE(w_.cursor.busy);

  w_.choice.answer = "Staff.acme";
  EXPECT_EQ(Find("staff").status, LookupStatus::Listed);
  EXPECT_EQ(state_.CurrentObjectName, "Staff.acme");
  EXPECT_EQ(w_.editText, "Staff.acme");
  EXPECT_EQ(w_.statusBar.panels, (std::array<std::string, 3>{"4", "All staff", "Staff.acme"}));
  using Row = std::vector<std::string>;
  EXPECT_EQ(Table(), (std::vector<Row>{{"adam.it.acme", "555-0104", "", "", ""},
                                       {"an.sales.acme", "555-0102", "", "", ""},
                                       {"jan\\.smith.sales.acme", "555-0101", "", "", ""},
                                       {"Zoe.sales.acme", "", "", "", ""}}));
  for (const auto& r : w_.table.Rows()) EXPECT_TRUE(r.checked);
  EXPECT_FALSE(w_.cursor.busy);
  EXPECT_TRUE(w_.messages.shown.empty());
}

TEST_F(CoreLookup, OneMatchIsListedWithoutChoiceAndEmptyGroupGivesZero) {
  const LookupResult result = Find("Empty");
  EXPECT_EQ(result.status, LookupStatus::Listed);
  EXPECT_EQ(w_.choice.calls, 0);
  EXPECT_FALSE(w_.editText.has_value());  // the typed text stays
  EXPECT_EQ(w_.statusBar.panels,
            (std::array<std::string, 3>{"0", "Nobody yet", "Empty Crew.sales.acme"}));
  EXPECT_EQ(w_.table.RowCount(), 0);

  state_.CurrentObjectName = "kept.acme";
  EXPECT_EQ(Find("nothing like this").status, LookupStatus::NoMatch);
  EXPECT_EQ(state_.CurrentObjectName, "kept.acme");
  EXPECT_EQ(Find("Lab", Kind::Group).status, LookupStatus::NoMatch);  // wrong kind: no match
}

TEST_F(CoreLookup, WorkstationRowsShowUserTimeAddressAndPhone) {
  ASSERT_EQ(Find("lab", Kind::WorkstationGroup).status, LookupStatus::Listed);
  using Row = std::vector<std::string>;
  EXPECT_EQ(
      Table(),
      (std::vector<Row>{
          {"ws1.it.acme", "jan\\.smith.sales.acme", "01-15-2024 09:30:00", "10.1.2.3", "555-0101"},
          {"ws2.it.acme", "", "01-01-1970 00:00:00", "10.0.0.9", "  -"},
          {"ws3.it.acme", "an.sales.acme", "12-31-1999 23:00:00", "", "555-0102"}}));
  EXPECT_EQ(w_.table.Rows()[0].rawTime, 1705311000);
  EXPECT_EQ(w_.table.Rows()[1].rawTime, 0);
  w_.table.SortByKey(SortKey::Cell2);
  EXPECT_EQ(w_.table.Rows()[0].caption, "ws2.it.acme");
  EXPECT_EQ(w_.table.Rows()[2].caption, "ws1.it.acme");
}

TEST_F(CoreLookup, TheAnnouncedReadsAreTheReadsMade) {
  ReadRecorder recorder(*state_.client);
  state_.client = &recorder;
  const auto check = [&](const std::string& text, Kind kind) {
    recorder.plans.clear();
    recorder.reads.clear();
    ASSERT_EQ(Find(text, kind).status, LookupStatus::Listed) << text;
    ASSERT_EQ(recorder.plans.size(), 1u);
    const directory::ReadAheadPlan& plan = recorder.plans.front();
    EXPECT_EQ(plan.object, state_.CurrentObjectName);
    EXPECT_EQ(plan.listAttribute, "Member");
    ASSERT_FALSE(plan.steps.empty());
    // After the member list and the description: the members' reads are the first step's, every
    // other read is a later step's.
    std::set<std::string> members,
        first(plan.steps[0].attributes.begin(), plan.steps[0].attributes.end()), later;
    for (const MemberRow& row : w_.table.Rows()) members.insert(row.caption);
    for (size_t i = 1; i < plan.steps.size(); ++i) {
      later.insert(plan.steps[i].attributes.begin(), plan.steps[i].attributes.end());
      EXPECT_EQ(plan.steps[i - 1].follow.empty(), false) << "step " << i - 1 << " leads nowhere";
    }
    EXPECT_TRUE(plan.steps.back().follow.empty());
    for (const auto& [object, attribute] : recorder.reads) {
      if (object == state_.CurrentObjectName) {  // all of it announced: the object is read once
        EXPECT_TRUE(
            attribute == plan.listAttribute ||
            std::count(plan.objectAttributes.begin(), plan.objectAttributes.end(), attribute) != 0)
            << attribute;
        continue;
      }
      if (members.count(object)) {
        EXPECT_TRUE(first.count(attribute)) << object << " " << attribute;
      } else {
        EXPECT_TRUE(later.count(attribute)) << object << " " << attribute;
      }
    }
  };
  check("Staff East", Kind::Group);
  check("lab", Kind::WorkstationGroup);
  state_.PhoneChainEnabled = true;
  state_.PhoneAttributes = {"L", "Telephone Number"};
  check("Staff East", Kind::Group);
  check("lab", Kind::WorkstationGroup);
  state_.client = state_.ownedClient.get();
}

TEST_F(CoreLookup, PhoneChainFollowsTheAttributesAndMarksWhereItBreaks) {
  state_.PhoneChainEnabled = true;
  state_.PhoneAttributes = {"L", "Telephone Number"};
  EXPECT_EQ(LookupPhone(state_, "jan\\.smith.sales.acme"), "555-0000");
  EXPECT_EQ(LookupPhone(state_, "Zoe.sales.acme"), "555-0000");
  EXPECT_EQ(LookupPhone(state_, "an.sales.acme"), " -  ");  // no "L": the chain breaks

  state_.PhoneAttributes.clear();
  EXPECT_EQ(LookupPhone(state_, "adam.it.acme"), " -  ");

  state_.PhoneAttributes = {"L", "Telephone Number"};
  ASSERT_EQ(Find("lab", Kind::WorkstationGroup).status, LookupStatus::Listed);
  EXPECT_EQ(w_.table.Rows()[0].cells[3], "555-0000");
  EXPECT_EQ(w_.table.Rows()[1].cells[3], "  -");  // no registered user: no chain at all
  EXPECT_EQ(w_.table.Rows()[2].cells[3], " -  ");
}

TEST_F(CoreLookup, MembersThatCannotBeReadAreMarkedAndTheLookupGoesOn) {
  using Row = std::vector<std::string>;
  const std::string x = kUnreadableMarker;
  struct Case {
    std::string text;
    Kind kind;
    std::vector<Row> table;
    size_t unreadable;
    std::string first;  // the reason told
  };
  const std::vector<Case> cases = {
      {"Broken",
       Kind::Group,
       {{"an.sales.acme", "555-0102", "", "", ""}, {"zz.sales.acme", x, "", "", ""}},
       1,
       "Netware error -601 (0xFFFFFDA7) reading \"Telephone Number\" of \"zz.sales.acme\": no "
       "such object; it is named by \"Member\" of \"Broken Team.acme\" (" +
           kTree + ":85)"},
      {"Ghost",
       Kind::WorkstationGroup,
       {{"ws1.it.acme", "jan\\.smith.sales.acme", "01-15-2024 09:30:00", "10.1.2.3", "555-0101"},
        {"ws4.it.acme", "ghost.sales.acme", "01-01-1970 00:00:00", "", x}},
       1,
       "Netware error -601 (0xFFFFFDA7) reading \"Telephone Number\" of \"ghost.sales.acme\": no "
       "such object; it is named by \"WM:NAME User\" of \"ws4.it.acme\" (" +
           kTree + ":126)"},
      // A day that February does not have is refused with its line, not read as 1 March.
      {"Clock",
       Kind::WorkstationGroup,
       {{"ws3.it.acme", "an.sales.acme", "12-31-1999 23:00:00", "", "555-0102"},
        {"ws5.it.acme", "an.sales.acme", x, "10.0.0.5", "555-0102"}},
       1,
       "Netware error -613 (0xFFFFFD9B) reading \"WM:Last Registered Time\" of \"ws5.it.acme\": " +
           kTree +
           ":132: \"20240230093000Z\" is not a valid time (a Generalized Time such as "
           "20240115103000Z, or seconds since 1970)"},
      // The empty name is no member; a value longer than a reply is one value unread.
      {"Mixed",
       Kind::Group,
       {{"an.sales.acme", "555-0102", "", "", ""},
        {"big.sales.acme", x, "", "", ""},
        {"gone.acme", x, "", "", ""}},
       2,
       "Netware error -649 (0xFFFFFD77) reading \"Telephone Number\" of \"big.sales.acme\": " +
           kTree + ":154: the value is 5000 bytes long, too long for one 4096-byte reply"},
      {"Far",
       Kind::WorkstationGroup,
       {{"ws-gone.it.acme", x, x, x, x}, {"ws7.it.acme", "gone.acme", x, "10.0.0.7", x}},
       3,
       "Netware error -601 (0xFFFFFDA7) reading \"WM:NAME User\" of \"ws-gone.it.acme\": no such "
       "object; it is named by \"Member\" of \"Far PCs.it.acme\" (" +
           kTree + ":175)"},
  };
  for (const Case& c : cases) {
    w_.messages.shown.clear();
    const LookupResult result = Find(c.text, c.kind);
    EXPECT_EQ(result.status, LookupStatus::Listed) << c.text;
    EXPECT_EQ(Table(), c.table) << c.text;
    EXPECT_EQ(result.unreadable, c.unreadable) << c.text;
    EXPECT_EQ(result.firstUnreadable, c.first) << c.text;
    EXPECT_EQ(w_.messages.shown, std::vector<std::string>{UnreadableNotice(c.unreadable, c.first)})
        << c.text;
    EXPECT_EQ(w_.statusBar.panels[0], std::to_string(c.table.size())) << c.text;
    for (const MemberRow& row : w_.table.Rows()) {
      for (int cell = 1; cell <= 4; ++cell) {
        EXPECT_EQ(row.CellUnreadable(cell), row.cells[cell - 1] == x) << row.caption << cell;
      }
    }
    EXPECT_FALSE(w_.cursor.busy);
  }
  EXPECT_EQ(UnreadableNotice(2, "why"),
            "2 members or values could not be read; their cells show \"(unreadable)\". The "
            "first: why");
  EXPECT_EQ(Find("Staff East").unreadable, 0u);
}

TEST_F(CoreLookup, AConnectionErrorStillEndsTheLookupWithTheRowsAddedSoFar) {
  directory::testing::FaultClient failing(*state_.client);
  state_.client = &failing;
  // The first reads are the search, the member list and the description; then one per member.
  failing.FailOn("dsReadEntry", 4, directory::kErrTransportFailure);
  w_.choice.answer = "Staff.acme";
  const LookupResult listed = Find("Staff", Kind::Group);
  state_.client = state_.ownedClient.get();
  EXPECT_EQ(listed.status, LookupStatus::DirectoryError);
  EXPECT_EQ(listed.unreadable, 0u);
  ASSERT_EQ(w_.messages.shown.size(), 1u);
  EXPECT_EQ(w_.messages.shown[0].rfind("Netware error -625 (0xFFFFFD8F)", 0), 0u)
      << w_.messages.shown[0];
  EXPECT_LT(w_.table.RowCount(), 4);
}

TEST_F(CoreLookup, PhoneChainValueNamingNoObjectIsTracedToItsAttribute) {
  // The phone chain: a chain value naming no object is traced to its attribute.
  state_.PhoneChainEnabled = true;
  state_.PhoneAttributes = {"Telephone Number", "Description"};
  try {
    LookupPhone(state_, "an.sales.acme");
    ADD_FAILURE() << "no error";
  } catch (const directory::DirectoryError& error) {
    EXPECT_NE(std::string(error.what())
                  .find("of \"555-0102\": no such object; it is named by \"Telephone Number\" "
                        "of \"an.sales.acme\" (" +
                        kTree + ":"),
              std::string::npos)
        << error.what();
  }
}

TEST_F(CoreLookup, TypedTextIsSearchedAsTypedAndOverlongTextRefused) {
  EXPECT_EQ(Find("Odd (").status, LookupStatus::Listed);
  EXPECT_EQ(state_.CurrentObjectName, "Odd (one).acme");
  EXPECT_EQ(Find("back\\").status, LookupStatus::Listed);
  EXPECT_EQ(w_.statusBar.panels[2], "back\\slash.acme");
  EXPECT_EQ(Find("St*West").status, LookupStatus::Listed);  // "*" stays a wildcard
  EXPECT_EQ(state_.CurrentObjectName, "Staff West.acme");
  EXPECT_EQ(Find("Odd )").status, LookupStatus::NoMatch);

  const int rows = w_.table.RowCount();
  const LookupResult refused = Find(std::string(255, 'a'));
  EXPECT_EQ(refused.status, LookupStatus::Refused);
  ASSERT_EQ(w_.messages.shown.size(), 1u);
  EXPECT_NE(w_.messages.shown[0].find("254"), std::string::npos);
  EXPECT_EQ(w_.table.RowCount(), rows);  // nothing was emptied
  EXPECT_EQ(Find(std::string(254, 'a')).status, LookupStatus::NoMatch);
  // The limit counts characters: 254 accented letters (508 bytes) are searched for, and the
  // refusal of 255 names 255.
  std::string accented;
  for (int i = 0; i < 254; ++i) accented += "\xC3\xA9";
  EXPECT_EQ(Find(accented).status, LookupStatus::NoMatch);
  EXPECT_EQ(Find(accented + "\xC3\xA9").status, LookupStatus::Refused);
  ASSERT_EQ(w_.messages.shown.size(), 2u);
  EXPECT_EQ(w_.messages.shown[1],
            "The name to look up is 255 characters long; at most 254 characters can be searched "
            "for.");

  // An empty text matches every group: several, so the choice is shown.
  EXPECT_EQ(Find("").status, LookupStatus::NotChosen);
  EXPECT_EQ(w_.choice.shown.size(), 8u);
}

}  // namespace
}  // namespace vorlix::core
