// The main window's controls, their order, sizes and hints, and the choice dialog's shape.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>

#include "app/core/member_columns.h"
#include "app/core_adapters.h"
#include "app/hints.h"
#include "app/main_window.h"
#include "app/tool_separator.h"
#include "help/hint_property.h"
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
  // 121 pixels, wider where the font needs it: the longest entry is shown whole.
  EXPECT_GE(window.cb1()->width(), 121);
  QStyleOptionComboBox option;
  option.initFrom(window.cb1());
  const QRect field = window.cb1()->style()->subControlRect(
      QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, window.cb1());
  EXPECT_GE(field.width(),
            window.cb1()->fontMetrics().horizontalAdvance(QStringLiteral("WorkStation Group")));
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
  for (int column = 0; column < 5; ++column) {
    EXPECT_EQ(memo1->columnWidth(column), core::kMemberColumnWidths[column]) << column;
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

TEST(GuiWindowLayout, TheNoticeShowsBesideThePanelsOnlyWhileThereIsOne) {
  TForm1 window;
  window.show();
  ASSERT_TRUE(testing::WaitUntil([&] { return window.isVisible(); }));
  auto* notice = window.findChild<QLabel*>(QStringLiteral("sbarNotice"));
  ASSERT_NE(notice, nullptr);
  EXPECT_FALSE(notice->isVisible());

  StatusPanels panels(window.sbar());
  const std::string text(300, 'n');
  panels.SetNotice(text);
  EXPECT_TRUE(panels.NoticeText() == QString::fromStdString(text));
  QLabel* shown = window.sbar()->findChildren<QLabel*>(QStringLiteral("sbarNotice")).last();
  EXPECT_TRUE(shown->isVisible());
  EXPECT_LT(shown->width(), window.sbar()->width() / 2);  // cut to fit, whole in the tooltip
  EXPECT_EQ(shown->toolTip().size(), 300);
  panels.SetNotice("");
  EXPECT_FALSE(shown->isVisible());
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
  const auto longHint = [](const QWidget* control) {
    return help::LongHint(help::HintOf(control));
  };
  EXPECT_TRUE(window.exitexit()->whatsThis().isEmpty());
  EXPECT_EQ(longHint(window.exitexit()), QStringLiteral("Exit"));
  EXPECT_EQ(longHint(window.memo1()), QStringLiteral("Here the program show the result"));
  EXPECT_EQ(longHint(window.cb1()), QStringLiteral("Select Group or Workstation group."));
  EXPECT_EQ(longHint(window.ToolButton2()),
            QStringLiteral("This will \"print\" the information to a (simple) pdf file."));
  EXPECT_EQ(longHint(window.edit1()),
            QStringLiteral("Enter the groupname of workstatation groupname. \r\n\r\n"
                           "The program will add an * at the end and then do a search in the "
                           "eDirectory.\r\n\r\n"
                           "If there is more then one fit, the program show a selection box. On "
                           "select (double click) the info for that group is shown. \r\n\r\n"
                           "Use[B] ESC[] if the search is wrong."));
  EXPECT_EQ(longHint(window.sbar()),
            QStringLiteral("On the status bar there are 3 area's.\r\n\r\n"
                           "most left:          the number of items.\r\n"
                           "In the middle:   the description of the group (if available)\r\n"
                           "On the right:     the fullname of the group."));
  EXPECT_EQ(help::ShortHint(QStringLiteral("Exit")), QStringLiteral("Exit"));
  EXPECT_EQ(help::LongHint(QStringLiteral("a|b|c")), QStringLiteral("b|c"));
  EXPECT_EQ(help::ShortHint(QStringLiteral("|long")), QString());
}

TEST(GuiWindowLayout, TypingStartsInTheNameBox) {
  TForm1 window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(QApplication::focusWidget(), window.edit1());
  // Keys go where the window sends them: Space as the first key types a blank.
  QTest::keyClick(window.windowHandle(), Qt::Key_Space, Qt::NoModifier);
  for (const char key : {'S', 'a'}) QTest::keyClick(window.windowHandle(), key);
  EXPECT_EQ(window.edit1()->text(), QStringLiteral(" Sa"));
  EXPECT_TRUE(window.isVisible());
}

TEST(GuiWindowLayout, EveryCommandIsReachableAtTheNarrowestWidth) {
  TForm1 window;
  window.show();
  ASSERT_TRUE(testing::WaitUntil([&] { return window.isVisible(); }));
  window.resize(1, window.height());
  ASSERT_TRUE(testing::WaitUntil([&] { return window.width() == window.minimumWidth(); }));
  const QRect bar = window.ToolBar1()->rect();
  const QList<QWidget*> commands = {
      window.exitexit(),    window.edit1(),       window.ToolButton4(),  window.cb1(),
      window.ToolButton6(), window.ToolButton9(), window.ToolButton10(), window.ToolButton12()};
  for (QWidget* command : commands) {
    EXPECT_TRUE(command->isVisible()) << command->objectName().toStdString();
    EXPECT_TRUE(
        bar.contains(QRect(command->mapTo(window.ToolBar1(), QPoint(0, 0)), command->size())))
        << command->objectName().toStdString();
  }
}

}  // namespace
}  // namespace vorlix::app
