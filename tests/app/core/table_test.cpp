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
  EXPECT_GT(memo1Compare(Row("Zoe"), Row("adam"), 0), 0);
  EXPECT_LT(memo1Compare(Row("b_x"), Row("ba"), 0), 0);    // '_' (95) before 'a' (97)
  EXPECT_LT(memo1Compare(Row("ann"), Row("anna"), 0), 0);  // a prefix comes first
  EXPECT_EQ(memo1Compare(Row("JAN"), Row("jan"), 0), 0);
  // Bytes above 127 are unsigned and stay as they are (no locale lowering).
  EXPECT_GT(memo1Compare(Row("\xC9mile"), Row("zed"), 0), 0);
  EXPECT_NE(memo1Compare(Row("\xC9"), Row("\xE9"), 0), 0);
  // Keys 1, 3 and 4 read cells 1, 3 and 4.
  MemberRow a = Row("x"), b = Row("y");
  a.cells = {"B", "9", "c", "z"};
  b.cells = {"a", "1", "D", "Y"};
  EXPECT_GT(memo1Compare(a, b, 1), 0);
  EXPECT_LT(memo1Compare(a, b, 3), 0);
  EXPECT_GT(memo1Compare(a, b, 4), 0);
}

TEST(CoreMemo1Compare, TimeKeyComparesRawTimesSigned) {
  EXPECT_LT(memo1Compare(Row("a", "", -5), Row("b", "", 3), 2), 0);
  EXPECT_GT(memo1Compare(Row("a", "", INT32_MAX), Row("b", "", INT32_MIN), 2), 0);
  EXPECT_EQ(memo1Compare(Row("a", "", 7), Row("b", "", 7), 2), 0);
  // The shown text plays no part: the raw time decides.
  MemberRow early = Row("a", "", 100), late = Row("b", "", 200);
  early.cells[1] = "12-31-1999";
  late.cells[1] = "01-01-2000";
  EXPECT_LT(memo1Compare(early, late, 2), 0);
}

TEST(CoreMemberTable, RowsAddedOneByOneOrInAnUpdateEndInTheOrderOfOneSort) {
  std::vector<std::string> names;
  for (int i = 0; i < 200; ++i)
    names.push_back((i % 3 ? "User" : "user") + std::to_string(i * 7919 % 211));
  std::mt19937 random(42);
  std::shuffle(names.begin(), names.end(), random);

  MemberTableModel oneByOne, batched;
  for (const auto& n : names) oneByOne.AddRow(Row(n));
  {
    TableUpdateGuard guard(batched);
    for (const auto& n : names) batched.AddRow(Row(n));
  }
  std::vector<MemberRow> rows;
  for (const auto& n : names) rows.push_back(Row(n));
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return memo1Compare(a, b, 0) < 0; });
  std::vector<std::string> expected;
  for (const auto& r : rows) expected.push_back(r.caption);

  EXPECT_EQ(Captions(oneByOne), expected);
  EXPECT_EQ(Captions(batched), expected);
}

TEST(CoreMemberTable, HeaderSortThenAddOrEditReSortsByFirstColumn) {
  MemberTableModel table;
  table.AddRow(Row("b", "", 1));
  table.AddRow(Row("a", "", 3));
  table.AddRow(Row("c", "", 2));
  table.SortByKey(2);
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"b", "c", "a"}));
  table.SortByKey(2);  // no descending order: a second click gives the same order
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"b", "c", "a"}));

  table.AddRow(Row("aa"));
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"a", "aa", "b", "c"}));
  table.SetCaption(0, "zz");
  EXPECT_EQ(Captions(table), (std::vector<std::string>{"aa", "b", "c", "zz"}));
  table.Clear();
  EXPECT_EQ(table.RowCount(), 0);
}

TEST(CoreMemberTable, HeadersPerKind) {
  using Captions5 = std::array<std::string, 5>;
  const Captions5 start = InitialColumnCaptions();
  EXPECT_EQ(start, (Captions5{"User", "Phone", " ", " ", " "}));
  const Captions5 ws = ColumnCaptionsForKind(kKindWorkstationGroup, start);
  EXPECT_EQ(ws, (Captions5{"Workstation", "User", "Last login", "IP-address", "Phone"}));
  EXPECT_EQ(ColumnCaptionsForKind(kKindGroup, ws), (Captions5{"User", "Phone", "", "", ""}));
  // The third kind keeps the first header and empties the others.
  EXPECT_EQ(ColumnCaptionsForKind(kKindApplication, ws),
            (Captions5{"Workstation", "", "", "", ""}));
}

}  // namespace
}  // namespace vorlix::core
