// The main window's controls, their order, sizes and hints, and the choice dialog's shape.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>

#include "app/hints.h"
#include "app/main_window.h"
#include "app/tool_separator.h"
#include "qt_test_environment.h"

namespace vorlix::app {
namespace {

// "name" for a named control, "|width" for a separator, in tool bar order; hidden widgets carry
// a trailing "*".
QStringList ToolBarLayout(const TForm1& window) {
  QStringList layout;
  for (QAction* action : window.ToolBar1()->actions()) {
    QWidget* widget = window.ToolBar1()->widgetForAction(action);
    QString entry = dynamic_cast<ToolSeparator*>(widget) != nullptr
                        ? QStringLiteral("|%1").arg(widget->width())
                        : widget->objectName();
    if (!action->isVisible()) entry += QLatin1Char('*');
    layout << entry;
  }
  return layout;
}

TEST(GuiWindowLayout, ToolBarHoldsTheControlsInOrderWithTheirWidths) {
  TForm1 window;
  window.show();
  ASSERT_TRUE(testing::WaitUntil([&] { return window.isVisible(); }));
  EXPECT_EQ(ToolBarLayout(window).join(QLatin1Char(' ')),
            QStringLiteral("|8 exitexit |18 edit1 ToolButton4 cb1 |8 ToolButton6 |18 ToolButton2* "
                           "|16 ToolButton9 ToolButton10 |58 ToolButton12"));
  EXPECT_EQ(window.ToolBar1()->height(), 29);
  EXPECT_EQ(window.edit1()->width(), 272);
  EXPECT_EQ(window.edit1()->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_EQ(window.cb1()->width(), 121);
  EXPECT_FALSE(window.cb1()->isEditable());
  ASSERT_EQ(window.cb1()->count(), 3);
  EXPECT_EQ(window.cb1()->itemText(0), QStringLiteral("Group"));
  EXPECT_EQ(window.cb1()->itemText(1), QStringLiteral("WorkStation Group"));
  EXPECT_EQ(window.cb1()->itemText(2), QStringLiteral("Application"));
  EXPECT_EQ(window.cb1()->currentIndex(), 0);
  EXPECT_FALSE(window.ToolButton2()->isVisible());
  EXPECT_EQ(window.frameGeometry().size(), QSize(798, 441));
  EXPECT_EQ(window.font().family(), QStringLiteral("MS Sans Serif"));
  EXPECT_EQ(window.font().pointSize(), 8);
  EXPECT_TRUE(window.start()->isActive());
  EXPECT_TRUE(window.start()->isSingleShot());
  EXPECT_EQ(window.start()->interval(), 1000);
}

TEST(GuiWindowLayout, TableAndStatusBarStartWithTheirColumnsAndPanels) {
  TForm1 window;
  window.show();
  ASSERT_TRUE(testing::WaitUntil([&] { return window.isVisible(); }));
  const MemberTree* memo1 = window.memo1();
  EXPECT_EQ(memo1->Headers(), (QStringList{"User", "Phone", " ", " ", " "}));
  const int widths[] = {220, 170, 130, 90, 105};
  for (int column = 0; column < 5; ++column) {
    EXPECT_EQ(memo1->columnWidth(column), widths[column]) << column;
  }
  EXPECT_TRUE(memo1->header()->sectionsClickable());
  EXPECT_EQ(window.sbar()->height(), 19);
  auto* panel0 = window.findChild<QLabel*>(QStringLiteral("sbarPanel0"));
  auto* panel1 = window.findChild<QLabel*>(QStringLiteral("sbarPanel1"));
  auto* panel2 = window.findChild<QLabel*>(QStringLiteral("sbarPanel2"));
  ASSERT_TRUE(panel0 && panel1 && panel2);
  EXPECT_EQ(panel0->width(), 50);
  EXPECT_TRUE(panel0->alignment() & Qt::AlignRight);
  EXPECT_EQ(panel1->width(), 450);
  EXPECT_GT(panel2->width(), 100);
}

TEST(GuiWindowLayout, ShortHintsAreTooltipsOfFiveButtonsAndLongHintsStayWithEveryControl) {
  TForm1 window;
  EXPECT_EQ(window.exitexit()->toolTip(), QStringLiteral("Exit"));
  EXPECT_EQ(window.ToolButton4()->toolTip(), QStringLiteral("Find"));
  EXPECT_EQ(window.ToolButton6()->toolTip(), QStringLiteral("Mail"));
  EXPECT_EQ(window.ToolButton2()->toolTip(), QStringLiteral("Print"));
  EXPECT_EQ(window.ToolButton9()->toolTip(), QStringLiteral("Save to Excel"));
  EXPECT_TRUE(window.ToolButton10()->toolTip().isEmpty());
  EXPECT_TRUE(window.edit1()->toolTip().isEmpty());
  EXPECT_TRUE(window.cb1()->toolTip().isEmpty());

  // Long parts keep their CR LF line breaks and their trailing and inner runs of blanks.
  EXPECT_EQ(window.exitexit()->whatsThis(), QStringLiteral("Exit"));
  EXPECT_EQ(window.memo1()->whatsThis(), QStringLiteral("Here the program show the result"));
  EXPECT_TRUE(window.edit1()->whatsThis().contains(
      QStringLiteral("group is shown. \r\n\r\nUse[B] ESC[] if")));
  EXPECT_TRUE(window.sbar()->whatsThis().contains(
      QStringLiteral("\r\nmost left:          the number of items.\r\nIn the middle:   the")));
  EXPECT_EQ(ShortHint(QStringLiteral("Exit")), QStringLiteral("Exit"));
  EXPECT_EQ(LongHint(QStringLiteral("a|b|c")), QStringLiteral("b|c"));
  EXPECT_EQ(ShortHint(QStringLiteral("|long")), QString());
}

}  // namespace
}  // namespace vorlix::app
