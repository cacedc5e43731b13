// memo1 as a view over its model: it shows the model's rows, ticks and order, header clicks and
// edits in place reach the model, the selection follows its row, and rows added during an update
// appear in batches. The sort policy itself is tested with the model.

#include "app/member_tree.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

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

QStringList Column(const MemberTree& tree, int column, int role = Qt::DisplayRole) {
  QStringList texts;
  for (int i = 0; i < tree.ShownRowCount(); ++i)
    texts << tree.model()->index(i, column).data(role).toString();
  return texts;
}

QStringList ModelColumn(const MemberTree& tree, int column) {
  QStringList texts;
  for (int i = 0; i < tree.RowCount(); ++i)
    texts << QString::fromStdString(tree.Row(i).ColumnText(column));
  return texts;
}

class GuiMemberTree : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.resize(800, 300);
    tree.show();
  }
  void ClickHeader(int column) {
    const int x = tree.header()->sectionViewportPosition(column) + 5;
    QTest::mouseClick(tree.header()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
  }

  MemberTree tree;
};

TEST_F(GuiMemberTree, ShowsTheRowsTicksAndOrderOfTheModelAndHeaderClicksSortIt) {
  tree.AddRow(MakeRow("ws-a", "carl", 1000, "10.0.0.9", "555"));
  tree.AddRow(MakeRow("ws-b", "Anna", -5, "10.0.0.10", "777"));
  tree.AddRow(MakeRow("ws-c", "bert", 99, "10.0.0.1", "111"));
  EXPECT_EQ(Column(tree, 0), (QStringList{"ws-a", "ws-b", "ws-c"}));
  EXPECT_EQ(Column(tree, 2), (QStringList{"time 1000", "time -5", "time 99"}));
  EXPECT_EQ(Column(tree, 0, Qt::CheckStateRole), (QStringList{"2", "2", "2"}));  // ticked
  EXPECT_FALSE(tree.model()->index(0, 1).data(Qt::CheckStateRole).isValid());    // one box a row
  EXPECT_EQ(tree.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Phone"));

  // The selection and the current row stay on their row as the header clicks sort the table.
  tree.setCurrentIndex(tree.model()->index(0, 0));
  ASSERT_EQ(tree.currentIndex().row(), 0);
  tree.model()->setData(tree.model()->index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
  for (const int column : {2, 3, 4, 1, 0}) {
    ClickHeader(column);
    EXPECT_EQ(Column(tree, 0), ModelColumn(tree, 0)) << column;
    EXPECT_EQ(tree.currentIndex().data().toString(), QStringLiteral("ws-a")) << column;
    ASSERT_EQ(tree.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(tree.selectionModel()->selectedRows().first(), tree.currentIndex());
    if (column == 2) {
      EXPECT_EQ(Column(tree, 0), (QStringList{"ws-b", "ws-c", "ws-a"}));  // by the raw time
    }
  }
  EXPECT_FALSE(tree.Row(1).checked);  // ws-b, back in second place
  EXPECT_EQ(tree.model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

  tree.Clear();
  EXPECT_EQ(tree.ShownRowCount(), 0);
}

TEST_F(GuiMemberTree, RowsAddedDuringAnUpdateAppearInBatchesAndAllAtTheEnd) {
  {
    core::TableUpdateGuard update(tree);
    EXPECT_FALSE(tree.updatesEnabled());
    int shownBefore = 0;
    for (int i = 0; i < 500; ++i) {
      tree.AddRow(MakeRow("m" + std::to_string(i * 7919 % 503), "", i, "", ""));
      EXPECT_EQ(tree.RowCount(), i + 1);  // rows count while the update runs
      if (i % 37 != 36) continue;
      tree.ShowAddedRows();
      EXPECT_TRUE(tree.updatesEnabled());  // the table repaints what it shows
      const int shown = tree.ShownRowCount();
      EXPECT_TRUE(shown == shownBefore || shown == i + 1) << i;
      shownBefore = shown;
      EXPECT_EQ(Column(tree, 0), ModelColumn(tree, 0).mid(0, shown)) << i;
    }
    EXPECT_GT(shownBefore, 0);
    EXPECT_LT(shownBefore, 500);  // the last rows wait for a batch, or for the end
  }
  EXPECT_TRUE(tree.updatesEnabled());
  EXPECT_EQ(tree.ShownRowCount(), 500);
  EXPECT_EQ(Column(tree, 0), ModelColumn(tree, 0));
}

TEST_F(GuiMemberTree, FirstColumnIsEditedInPlaceAndTheTableResortsOnceTheEditorHasClosed) {
  tree.AddRow(MakeRow("anna.sales.acme", "", 0, "", ""));
  tree.AddRow(MakeRow("bert.sales.acme", "", 0, "", ""));
  tree.setFocus();
  tree.setCurrentIndex(tree.model()->index(0, 3));
  QTest::keyClick(tree.viewport(), Qt::Key_F2);  // F2 edits the name from any column
  auto* editor = tree.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("zed.sales.acme"));
  QTest::keyClick(editor, Qt::Key_Return);
  ASSERT_TRUE(testing::WaitUntil([&] { return tree.Row(1).caption == "zed.sales.acme"; }));
  EXPECT_EQ(Column(tree, 0), (QStringList{"bert.sales.acme", "zed.sales.acme"}));

  // Space ticks the current row off; clicking into another column of it does not edit it.
  tree.setCurrentIndex(tree.model()->index(0, 0));
  QTest::keyClick(tree.viewport(), Qt::Key_Space);
  EXPECT_FALSE(tree.Row(0).checked);
  const QRect cell = tree.visualRect(tree.model()->index(0, 0));
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    QPoint(tree.header()->sectionViewportPosition(2) + 5, cell.center().y()));
  EXPECT_EQ(tree.findChild<QLineEdit*>(), nullptr);
  // Nor does it start an edit that waits for the double-click interval: the edit the timer would
  // ask for is refused in that column, and column 0 opens at once, which it would not while an
  // edit waited.
  QAbstractItemView& view = tree;
  view.edit(tree.model()->index(0, 2));
  EXPECT_EQ(tree.findChild<QLineEdit*>(), nullptr);
  view.edit(tree.model()->index(0, 0));
  auto* opened = tree.findChild<QLineEdit*>();
  ASSERT_NE(opened, nullptr);
  QTest::keyClick(opened, Qt::Key_Escape);
}

}  // namespace
}  // namespace vorlix::app
