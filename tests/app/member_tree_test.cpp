// memo1's sorting: by the first column as rows are added, by any column on a header click
// (column 3 by the raw time), and again by the first column after an edit in place.

#include "app/member_tree.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <random>

#include "app/core/memo1_compare.h"
#include "qt_test_environment.h"

namespace vorlix::app {
namespace {

core::MemberRow MakeRow(const std::string& name, const std::string& user, int32_t rawTime,
                        const std::string& ip, const std::string& phone) {
  core::MemberRow row;
  row.caption = name;
  row.cells = {user, "time " + std::to_string(rawTime), ip, phone};
  row.rawTime = rawTime;
  return row;
}

QStringList Column(const MemberTree& tree, int column) {
  QStringList texts;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) texts << tree.topLevelItem(i)->text(column);
  return texts;
}

TEST(GuiMemberTree, RowsKeepTheFirstColumnOrderAsTheyAreAdded) {
  MemberTree tree;
  for (const char* name : {"Zoe", "ba", "adam", "b_x", "Adam"})
    tree.AddRow(MakeRow(name, "", 0, "", ""));
  // Case is ignored, "_" (95) sorts before "a" (97), equal rows keep the order they came in.
  EXPECT_EQ(Column(tree, 0), (QStringList{"adam", "Adam", "b_x", "ba", "Zoe"}));
  EXPECT_EQ(tree.RowCount(), 5);
  EXPECT_EQ(tree.Row(2).caption, "b_x");
  EXPECT_TRUE(tree.Row(2).checked);
  EXPECT_EQ(tree.topLevelItem(0)->checkState(0), Qt::Checked);
}

TEST(GuiMemberTree, BatchAddGivesTheOrderOfOneSortAndTheTableStaysUsable) {
  std::vector<core::MemberRow> rows;
  std::mt19937 random(7);
  for (int i = 0; i < 500; ++i) {
    // Names that compare equal: the same number, in either case.
    rows.push_back(MakeRow((random() % 2 ? "m" : "M") + std::to_string(random() % 97), "",
                           static_cast<int32_t>(i), "", ""));
  }
  MemberTree batched;
  {
    core::TableUpdateGuard update(batched);
    for (const auto& row : rows) batched.AddRow(row);
    EXPECT_EQ(batched.RowCount(), 500);  // rows count while the update runs
  }
  // Shown on the way, as a long lookup shows them: the rows shown are in order at every step,
  // join in batches, and the end is the order of one sort, equal names included.
  MemberTree shownOnTheWay;
  {
    core::TableUpdateGuard update(shownOnTheWay);
    int shownBefore = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      shownOnTheWay.AddRow(rows[i]);
      if (i % 37 != 36) continue;
      shownOnTheWay.ShowAddedRows();
      const int shown = shownOnTheWay.topLevelItemCount();
      EXPECT_TRUE(shown == shownBefore || shown == static_cast<int>(i) + 1) << i;
      shownBefore = shown;
      for (int k = 1; k < shown; ++k) {
        EXPECT_LE(core::memo1Compare(shownOnTheWay.Row(k - 1), shownOnTheWay.Row(k), 0), 0);
      }
    }
    EXPECT_GT(shownBefore, 0);
    EXPECT_LT(shownBefore, 500);  // the last rows wait for a batch, or for the end
    EXPECT_EQ(shownOnTheWay.RowCount(), 500);
  }
  MemberTree oneByOne;
  for (const auto& row : rows) oneByOne.AddRow(row);
  std::vector<core::MemberRow> expected = rows;
  std::stable_sort(expected.begin(), expected.end(),
                   [](const auto& a, const auto& b) { return core::memo1Compare(a, b, 0) < 0; });
  ASSERT_EQ(batched.topLevelItemCount(), 500);
  for (int i = 0; i < 500; ++i) {
    EXPECT_EQ(batched.Row(i).caption, expected[i].caption);
    EXPECT_EQ(batched.Row(i).rawTime, expected[i].rawTime) << i;
    EXPECT_EQ(oneByOne.Row(i).rawTime, expected[i].rawTime) << i;
    EXPECT_EQ(shownOnTheWay.Row(i).rawTime, expected[i].rawTime) << i;
  }
  EXPECT_TRUE(shownOnTheWay.updatesEnabled());
  EXPECT_TRUE(batched.updatesEnabled());
  batched.Clear();
  EXPECT_EQ(batched.RowCount(), 0);
}

TEST(GuiMemberTree, HeaderClicksSortEachColumnAscendingAndColumnThreeByRawTime) {
  MemberTree tree;
  tree.resize(800, 300);
  tree.show();
  tree.AddRow(MakeRow("ws-a", "carl", 1000, "10.0.0.9", "555"));
  tree.AddRow(MakeRow("ws-b", "Anna", -5, "10.0.0.10", "777"));
  tree.AddRow(MakeRow("ws-c", "bert", 99, "10.0.0.1", "111"));
  // The shown time texts ("time 1000" < "time 99" as text) would give another order.
  auto click = [&](int column) {
    const int x = tree.header()->sectionViewportPosition(column) + 5;
    QTest::mouseClick(tree.header()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
  };
  click(1);
  EXPECT_EQ(Column(tree, 0), (QStringList{"ws-b", "ws-c", "ws-a"}));
  click(2);
  EXPECT_EQ(Column(tree, 0), (QStringList{"ws-b", "ws-c", "ws-a"}));
  EXPECT_EQ(Column(tree, 2), (QStringList{"time -5", "time 99", "time 1000"}));
  click(3);
  EXPECT_EQ(Column(tree, 3), (QStringList{"10.0.0.1", "10.0.0.10", "10.0.0.9"}));
  click(4);
  EXPECT_EQ(Column(tree, 4), (QStringList{"111", "555", "777"}));
  click(4);  // no descending order: a second click gives the same order
  EXPECT_EQ(Column(tree, 4), (QStringList{"111", "555", "777"}));
  click(0);
  EXPECT_EQ(Column(tree, 0), (QStringList{"ws-a", "ws-b", "ws-c"}));
  // Ticks and the raw time travel with their rows.
  tree.topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  click(2);
  EXPECT_EQ(tree.Row(0).caption, "ws-b");
  EXPECT_FALSE(tree.Row(0).checked);
  EXPECT_EQ(tree.Row(0).rawTime, -5);
}

TEST(GuiMemberTree, FirstColumnIsEditedInPlaceAndTheTableResorts) {
  MemberTree tree;
  tree.resize(800, 300);
  tree.show();
  tree.AddRow(MakeRow("anna.sales.acme", "", 0, "", ""));
  tree.AddRow(MakeRow("bert.sales.acme", "", 0, "", ""));
  tree.setFocus();
  tree.setCurrentItem(tree.topLevelItem(0), 3);
  QTest::keyClick(tree.viewport(), Qt::Key_F2);  // F2 edits the name from any column
  auto* editor = tree.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("zed.sales.acme"));
  QTest::keyClick(editor, Qt::Key_Return);
  ASSERT_TRUE(testing::WaitUntil([&] { return tree.Row(1).caption == "zed.sales.acme"; }));
  EXPECT_EQ(tree.Row(0).caption, "bert.sales.acme");

  // Clicking into another column of the current row does not edit it.
  tree.setCurrentItem(tree.topLevelItem(0), 0);
  const QRect cell = tree.visualItemRect(tree.topLevelItem(0));
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    QPoint(tree.header()->sectionViewportPosition(2) + 5, cell.center().y()));
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  EXPECT_EQ(tree.findChild<QLineEdit*>(), nullptr);
}

}  // namespace
}  // namespace vorlix::app
