// Progress and cancel of long lookups: the pace of the reports on a fake clock, and a lookup of a
// generated group of a thousand members that reports, cancels and keeps what it read.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "../../directory/fault_client.h"
#include "app/core/kinds.h"
#include "app/core/lookup.h"
#include "app/core/progress_pace.h"
#include "app/core/startup.h"
#include "fake_clock.h"
#include "fake_ui.h"
#include "generated_tree.h"

namespace vorlix::core {
namespace {

using namespace std::chrono_literals;
using vorlix::testing::FakeClock;
using vorlix::testing::GeneratedUser;

TEST(CoreProgressPace, FirstReportAfterTheDelayThenAtMostOnePerInterval) {
  FakeClock clock;
  ProgressPace pace(clock.Clock(), 100ms, 500ms);
  EXPECT_FALSE(pace.Due());
  clock.now += 499ms;
  EXPECT_FALSE(pace.Due());  // short work shows nothing
  clock.now += 1ms;
  EXPECT_TRUE(pace.Due());
  EXPECT_FALSE(pace.Due());
  clock.now += 99ms;
  EXPECT_FALSE(pace.Due());
  clock.now += 1ms;
  EXPECT_TRUE(pace.Due());
  // After a stall the reports do not bunch up to catch up: one now, the next an interval later.
  clock.now += 5s;
  EXPECT_TRUE(pace.Due());
  EXPECT_FALSE(pace.Due());
  clock.now += 100ms;
  EXPECT_TRUE(pace.Due());

  // Without a clock of its own it runs on the system's: nothing is due at once.
  ProgressPace system(nullptr);
  EXPECT_FALSE(system.Due());
}

constexpr int kMembers = 1000;

class CoreLongLookup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    tzset();
    tree_ = new std::string(vorlix::testing::WriteGeneratedTree(
        ::testing::TempDir() + "/core-generated-tree-" + std::to_string(getpid()) + ".ldif",
        kMembers));
  }
  static void TearDownTestSuite() {
    std::remove(tree_->c_str());
    delete tree_;
  }
  void SetUp() override {
    Configuration configuration;
    configuration.hasDirectory = true;
    configuration.directory.source = *tree_;
    ASSERT_TRUE(RunStartupStep(state_, configuration).completed);
    // Every row takes a millisecond of the clock: a report at most every hundred rows.
    clock_.step = 1ms;
    w_.ui.clock = clock_.Clock();
  }
  void TearDown() override { Shutdown(state_); }

  struct Report {
    size_t listed, total;
    int rowsInTable;
    std::string panel0;
    std::chrono::steady_clock::time_point at;
  };
  // Reports are recorded; the report numbered `cancelAt` (1 = the first) answers "stop".
  void RecordReports(size_t cancelAt = 0) {
    w_.ui.progress = [this, cancelAt](size_t listed, size_t total) {
      reports_.push_back({listed, total, w_.table.RowCount(), w_.statusBar.panels[0], clock_.now});
      return reports_.size() != cancelAt;
    };
  }

  static std::string* tree_;
  AppState state_;
  testing::FakeWindow w_;
  FakeClock clock_;
  std::vector<Report> reports_;
};
std::string* CoreLongLookup::tree_ = nullptr;

TEST_F(CoreLongLookup, ReportsTheCountListedAtMostTenTimesASecond) {
  RecordReports();
  const LookupResult result = ToolButton4Click(state_, "Everyone", kKindGroup, w_.ui);
  EXPECT_EQ(result.status, LookupStatus::Listed);
  ASSERT_GE(reports_.size(), 5u);
  // No report in the first tenth of a second (100 rows), none at the end.
  EXPECT_GE(reports_.front().listed, 100u);
  EXPECT_LT(reports_.back().listed, static_cast<size_t>(kMembers));
  for (size_t i = 0; i < reports_.size(); ++i) {
    const Report& report = reports_[i];
    EXPECT_EQ(report.total, static_cast<size_t>(kMembers));
    EXPECT_EQ(report.rowsInTable, static_cast<int>(report.listed));
    EXPECT_EQ(report.panel0, std::to_string(report.listed));  // the count listed so far
    if (i > 0) {
      EXPECT_GE(report.at - reports_[i - 1].at, 100ms) << "report " << i;
    }
  }
  // Done: the member count again, and the whole table.
  EXPECT_EQ(w_.statusBar.panels,
            (std::array<std::string, 3>{"1000", "Generated users", "Everyone.gen"}));
  EXPECT_EQ(w_.table.RowCount(), kMembers);
}

// Passes every call on and records the read plans announced.
class PlanRecorder : public directory::testing::FaultClient {
 public:
  using FaultClient::FaultClient;
  void dsReadAhead(directory::Context c, const directory::ReadAheadPlan& plan) override {
    plans.push_back(plan);
    FaultClient::dsReadAhead(c, plan);
  }
  std::vector<directory::ReadAheadPlan> plans;
};

TEST_F(CoreLongLookup, ACancelKeepsTheRowsListedAndSaysTheListIsIncomplete) {
  RecordReports(3);
  PlanRecorder recorder(*state_.client);
  state_.client = &recorder;
  const LookupResult result = ToolButton4Click(state_, "Everyone", kKindGroup, w_.ui);
  state_.client = state_.ownedClient.get();
  EXPECT_EQ(result.status, LookupStatus::Cancelled);
  // The reads announced for the rest are called off.
  ASSERT_EQ(recorder.plans.size(), 2u);
  EXPECT_FALSE(recorder.plans[0].steps.empty());
  EXPECT_TRUE(recorder.plans[1].steps.empty());
  ASSERT_EQ(reports_.size(), 3u);
  const size_t listed = reports_.back().listed;
  ASSERT_EQ(w_.table.RowCount(), static_cast<int>(listed));
  // The first members in sorted order, each with its phone.
  for (int i = 0; i < w_.table.RowCount(); ++i) {
    EXPECT_EQ(w_.table.Row(i).caption, GeneratedUser(i) + ".gen");
    EXPECT_EQ(w_.table.Row(i).cells[0], "555-" + std::to_string(i));
  }
  EXPECT_EQ(w_.statusBar.panels[0], std::to_string(listed));
  EXPECT_EQ(w_.statusBar.panels[1], "Cancelled: " + std::to_string(listed) +
                                        " of 1000 members listed, the list is incomplete");
  EXPECT_EQ(w_.statusBar.panels[2], "Everyone.gen");
  EXPECT_EQ(state_.CurrentObjectName, "Everyone.gen");
  EXPECT_FALSE(w_.cursor.busy);
  EXPECT_TRUE(w_.messages.shown.empty());

  // The next lookup starts afresh and lists everyone.
  reports_.clear();
  RecordReports();
  EXPECT_EQ(ToolButton4Click(state_, "Everyone", kKindGroup, w_.ui).status, LookupStatus::Listed);
  EXPECT_EQ(w_.table.RowCount(), kMembers);
  EXPECT_EQ(w_.statusBar.panels[1], "Generated users");
}

TEST_F(CoreLongLookup, AMemberUnreadAfterReportsLeavesTheMemberCount) {
  RecordReports();
  const LookupResult result = ToolButton4Click(state_, "Nearly", kKindGroup, w_.ui);
  EXPECT_EQ(result.status, LookupStatus::Listed);
  EXPECT_EQ(result.unreadable, 1u);
  EXPECT_FALSE(reports_.empty());
  EXPECT_EQ(w_.statusBar.panels[0], "1001");
  EXPECT_EQ(w_.table.RowCount(), kMembers + 1);  // the member that does not exist is listed too
  ASSERT_EQ(w_.messages.shown.size(), 1u);
  EXPECT_NE(w_.messages.shown[0].find("The first: Netware error -601"), std::string::npos)
      << w_.messages.shown[0];
}

}  // namespace
}  // namespace vorlix::core
