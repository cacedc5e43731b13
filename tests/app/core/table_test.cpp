#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/core/kinds.h"
#include "app/core/member_table_model.h"
#include "app/core/memo1_compare.h"

namespace vorlix::core {
namespace {

MemberRow Row(const std::string& caption, const std::string& cell1 = "", int32_t time = 0) {
  MemberRow row;
  row.caption = caption;
  row.cells[0] = cell1;
  row.rawTime = time;
  return row;
}

std::vector<std::string> Captions(const MemberTableModel& table) {
  std::vector<std::string> out;
  for (const auto& row : table.Rows()) out.push_back(row.caption);
  return out;
}

TEST(CoreMemo1Compare, TextKeysLowerOnlyAsciiLettersAndCompareUnsignedBytes) {
  EXPECT_GT(memo1Compare(Row("Zoe"), Row("adam"), SortKey::Name), 0);
  EXPECT_LT(memo1Compare(Row("b_x"), Row("ba"), SortKey::Name), 0);    // '_' (95) before 'a' (97)
  EXPECT_LT(memo1Compare(Row("ann"), Row("anna"), SortKey::Name), 0);  // a prefix comes first
  EXPECT_EQ(memo1Compare(Row("JAN"), Row("jan"), SortKey::Name), 0);
  // Bytes above 127 are unsigned and stay as they are (no locale lowering).
  EXPECT_GT(memo1Compare(Row("\xC9mile"), Row("zed"), SortKey::Name), 0);
  EXPECT_NE(memo1Compare(Row("\xC9"), Row("\xE9"), SortKey::Name), 0);
  // Keys 1, 3 and 4 read cells 1, 3 and 4.
  MemberRow a = Row("x"), b = Row("y");
  a.cells = {"B", "9", "c", "z"};
  b.cells = {"a", "1", "D", "Y"};
  EXPECT_GT(memo1Compare(a, b, SortKey::Cell1), 0);
  EXPECT_LT(memo1Compare(a, b, SortKey::Cell3), 0);
  EXPECT_GT(memo1Compare(a, b, SortKey::Cell4), 0);
}

TEST(CoreMemo1Compare, TimeKeyComparesRawTimesSigned) {
  EXPECT_LT(memo1Compare(Row("a", "", -5), Row("b", "", 3), SortKey::Cell2), 0);
  EXPECT_GT(memo1Compare(Row("a", "", INT32_MAX), Row("b", "", INT32_MIN), SortKey::Cell2), 0);
  EXPECT_EQ(memo1Compare(Row("a", "", 7), Row("b", "", 7), SortKey::Cell2), 0);
  // The shown text plays no part: the raw time decides.
  MemberRow early = Row("a", "", 100), late = Row("b", "", 200);
  early.cells[1] = "12-31-1999";
  late.cells[1] = "01-01-2000";
  EXPECT_LT(memo1Compare(early, late, SortKey::Cell2), 0);
}

// Names that compare equal (the same number in either case) and raw times that tell the rows
// apart, so that a sort that is not stable shows.
std::vector<MemberRow> RowsWithEqualNames(int count) {
  std::vector<MemberRow> rows;
  std::mt19937 random(7);
  for (int i = 0; i < count; ++i) {
    rows.push_back(Row((random() % 2 ? "m" : "M") + std::to_string(random() % 97), "", i));
  }
  return rows;
}

std::vector<int32_t> Times(const MemberTableModel& table) {
  std::vector<int32_t> out;
  for (const auto& row : table.Rows()) out.push_back(row.rawTime);
  return out;
}

// A view's copy of the placed rows, kept only from what the observer hears.
struct MirrorView : IMemberTableObserver {
  const MemberTableModel& table;
  std::vector<std::string> rows;
  int pendingFirst = -1, pendingLast = -1;

  explicit MirrorView(const MemberTableModel& t) : table(t) {}
  void AfterReset() override { rows.clear(); }
  void BeforeInsert(int first, int last) override {
    pendingFirst = first;
    pendingLast = last;
  }
  void AfterInsert() override {
    for (int i = pendingFirst; i <= pendingLast; ++i) {
      rows.insert(rows.begin() + i, table.ColumnText(i, 0));
    }
  }
  void BeforeMove() override {}
  void AfterMove(const std::vector<int>& newIndex) override {
    ASSERT_EQ(newIndex.size(), rows.size());
    std::vector<std::string> moved(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) moved.at(static_cast<size_t>(newIndex[i])) = rows[i];
    rows = moved;
  }
  void RowChanged(int index) override {
    rows.at(static_cast<size_t>(index)) = table.ColumnText(index, 0);
  }

  std::vector<std::string> Placed() const {
    std::vector<std::string> out;
    for (int i = 0; i < table.PlacedRowCount(); ++i) out.push_back(table.ColumnText(i, 0));
    return out;
  }
};

TEST(CoreMemberTable, RowsAddedOneByOneInAnUpdateOrPlacedOnTheWayEndInTheOrderOfOneSort) {
  const std::vector<MemberRow> rows = RowsWithEqualNames(500);
  std::vector<MemberRow> sorted = rows;
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
    return memo1Compare(a, b, SortKey::Name) < 0;
  });
  std::vector<int32_t> expected;
  for (const auto& row : sorted) expected.push_back(row.rawTime);

  MemberTableModel oneByOne, batched, placedOnTheWay;
  for (const auto& row : rows) oneByOne.AddRow(row);
  {
    TableUpdateGuard guard(batched);
    for (const auto& row : rows) batched.AddRow(row);
    EXPECT_EQ(batched.RowCount(), 500);  // rows count while the update runs
    EXPECT_EQ(batched.PlacedRowCount(), 0);
  }
  {
    TableUpdateGuard guard(placedOnTheWay);
    for (size_t i = 0; i < rows.size(); ++i) {
      placedOnTheWay.AddRow(rows[i]);
      if (i % 37 != 36) continue;
      placedOnTheWay.PlaceAddedRows();
      EXPECT_EQ(placedOnTheWay.PlacedRowCount(), static_cast<int>(i) + 1);
      for (size_t k = 1; k <= i; ++k) {
        EXPECT_LE(
            memo1Compare(placedOnTheWay.Rows()[k - 1], placedOnTheWay.Rows()[k], SortKey::Name), 0);
      }
    }
    EXPECT_LT(placedOnTheWay.PlacedRowCount(), 500);  // the last rows wait for the end
  }
  EXPECT_EQ(Times(oneByOne), expected);
  EXPECT_EQ(Times(batched), expected);
  EXPECT_EQ(Times(placedOnTheWay), expected);
  EXPECT_EQ(placedOnTheWay.PlacedRowCount(), 500);
}

TEST(CoreMemberTable, EachKeySortsAscendingAndRowsKeepTheirTicksAndTimes) {
  MemberTableModel table;
  const auto workstation = [](const std::string& name, const std::string& user, int32_t time,
                              const std::string& ip, const std::string& phone) {
    MemberRow row = Row(name, user, time);
    row.cells = {user, "time " + std::to_string(time), ip, phone};
    return row;
  };
  table.AddRow(workstation("ws-a", "carl", 1000, "10.0.0.9", "555"));
  table.AddRow(workstation("ws-b", "Anna", -5, "10.0.0.10", "777"));
  table.AddRow(workstation("ws-c", "bert", 99, "10.0.0.1", "111"));
  table.SortByKey(SortKey::Cell1);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-b", "ws-c", "ws-a"}));
  // Key 2 goes by the raw time: the shown texts ("time 1000" < "time 99") would give another.
  table.SetChecked(0, false);
  table.SortByKey(SortKey::Cell2);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-b", "ws-c", "ws-a"}));
  EXPECT_FALSE(table.Rows()[0].checked);
  EXPECT_EQ(table.Rows()[0].rawTime, -5);
  table.SortByKey(SortKey::Cell3);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-c", "ws-b", "ws-a"}));
  table.SortByKey(SortKey::Cell4);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-c", "ws-a", "ws-b"}));
  table.SortByKey(SortKey::Cell4);  // no descending order: a second click gives the same order
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-c", "ws-a", "ws-b"}));
  EXPECT_FALSE(SortKeyOfColumn(5).has_value());  // no such column: nothing to sort by
  EXPECT_FALSE(SortKeyOfColumn(-1).has_value());
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-c", "ws-a", "ws-b"}));
  table.SortByKey(SortKey::Name);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"ws-a", "ws-b", "ws-c"}));
  EXPECT_FALSE(table.Rows()[1].checked);  // the tick stayed with ws-b
}

TEST(CoreMemberTable, HeaderSortThenAddOrEditReSortsByFirstColumn) {
  MemberTableModel table;
  table.AddRow(Row("b", "", 1));
  table.AddRow(Row("a", "", 3));
  table.AddRow(Row("c", "", 2));
  table.SortByKey(SortKey::Cell2);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"b", "c", "a"}));

  table.AddRow(Row("aa"));
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"a", "aa", "b", "c"}));
  table.SetCaption(0, "zz");
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"aa", "b", "c", "zz"}));

  // During an update a new name waits for the end of the update to re-sort, as do rows added
  // after a header sort.
  table.SortByKey(SortKey::Cell2);
  {
    TableUpdateGuard guard(table);
    table.SetCaption(3, "ab");
    EXPECT_EQ(Captions(table), (std::vector<std::string>{"aa", "b", "c", "ab"}));
    table.AddRow(Row("a"));
  }
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"a", "aa", "ab", "b", "c"}));
  table.Clear();
  EXPECT_EQ(table.RowCount(), 0);
}

// A view that follows only the notifications always holds the placed rows in the model's order.
TEST(CoreMemberTable, TheObserverHearsEnoughToFollowEveryChange) {
  MemberTableModel table;
  MirrorView view(table);
  table.SetObserver(&view);
  const auto follows = [&] { EXPECT_EQ(view.rows, view.Placed()); };
  for (const char* name : {"Zoe", "ba", "adam", "b_x", "Adam"}) table.AddRow(Row(name));
  follows();
  table.SortByKey(SortKey::Cell1);
  table.SetCaption(2, "c");
  follows();
  {
    TableUpdateGuard guard(table);
    for (const auto& row : RowsWithEqualNames(40)) table.AddRow(row);
    follows();  // rows waiting are not seen
    table.PlaceAddedRows();
    follows();
    table.AddRow(Row("0"));
    table.SetCaption(table.RowCount() - 1, "1");  // a waiting row gets its new name unseen
    table.SortByKey(SortKey::Cell3);
    follows();
  }
  follows();
  EXPECT_EQ(view.rows.front(), "1");
  table.Clear();
  EXPECT_TRUE(view.rows.empty());
  table.SetObserver(nullptr);
}

TEST(CoreMemberTable, HeadersPerKind) {
  using Captions5 = std::array<std::string, 5>;
  const Captions5 start = InitialColumnCaptions();
  EXPECT_EQ(start, (Captions5{"User", "Phone", " ", " ", " "}));
  const Captions5 ws = ColumnCaptionsForKind(Kind::WorkstationGroup, start);
  EXPECT_EQ(ws, (Captions5{"Workstation", "User", "Last login", "IP-address", "Phone"}));
  EXPECT_EQ(ColumnCaptionsForKind(Kind::Group, ws), (Captions5{"User", "Phone", "", "", ""}));
  // The third kind keeps the first header and empties the others.
  EXPECT_EQ(ColumnCaptionsForKind(Kind::Application, ws),
            (Captions5{"Workstation", "", "", "", ""}));
}

}  // namespace
}  // namespace vorlix::core
