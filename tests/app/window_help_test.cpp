// The main window's context help: F1, the help button, the right-click menu, Copy, and the
// pop-up's closing by itself and by a key.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QStatusBar>
#include <QTest>
#include <QWhatsThis>

#include "../help/manual_delay_clock.h"
#include "help/form_help.h"
#include "help/help_window.h"
#include "help/hint_property.h"
#include "qt_test_environment.h"
#include "window_fixture.h"

namespace vorlix::app {
namespace {

using help::THelpWindow;
using testing::WaitUntil;

class WindowHelpTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    OpenWindow(TestTreeIni());
    window->activateWindow();
    ASSERT_TRUE(WaitUntil([this] { return window->isActiveWindow(); }));
  }
  void TearDown() override {
    if (THelpWindow* popup = THelpWindow::Current()) popup->CloseHelp();
    if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    WindowTest::TearDown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // A click as the window system delivers it: to whoever holds the mouse.
  void Click(Qt::MouseButton button, const QWidget* control) {
    QTest::mouseClick(window->windowHandle(), button, {},
                      control->mapTo(window.get(), control->rect().center()));
    QCoreApplication::processEvents();
  }
  // F1 with the pointer at a screen point, or over `control`, and the focus in memo1.
  THelpWindow* PressF1At(QPoint global) {
    window->memo1()->setFocus();
    QCursor::setPos(global);
    QTest::keyClick(window->memo1(), Qt::Key_F1);
    return THelpWindow::Current();
  }
  THelpWindow* PressF1Over(const QWidget* control) {
    return PressF1At(control->mapToGlobal(control->rect().center()));
  }
  static QStringList LineTexts(const THelpWindow& popup) {
    QStringList texts;
    for (const std::vector<help::Run>& line : popup.Layout().lines) {
      QString text;
      for (const help::Run& run : line) text += QString::fromStdU32String(run.text);
      texts << text;
    }
    return texts;
  }
};

TEST_F(WindowHelpTest, FormHelpIsSetUpOnTheHelpButtonWithItsCaptionButtonHidden) {
  help::TFormHelp* formHelp = window->FormHelp();
  ASSERT_NE(formHelp, nullptr);
  EXPECT_EQ(formHelp->WhatsThis().ToolbarButton(), window->ToolButton12());
  EXPECT_EQ(formHelp->WhatsThis().Caption(), QStringLiteral("&What's This?"));
  EXPECT_EQ(formHelp->SystemMenu().Caption(), QStringLiteral("&What's This?"));
  EXPECT_FALSE(formHelp->CaptionButton().Visible());
  EXPECT_EQ(formHelp->CaptionButton().Hint(), QStringLiteral("Help"));
  EXPECT_EQ(formHelp->CursorHelp(), Qt::WhatsThisCursor);
  EXPECT_FALSE(formHelp->SystemMenu().ApplyToMenu());
  EXPECT_FALSE(formHelp->SystemMenu().Inserted());
  EXPECT_EQ(formHelp->SystemMenu().Position(), 7);
  EXPECT_EQ(formHelp->SystemMenu().Separators(), unsigned{help::seBefore});
  EXPECT_EQ(formHelp->PopupWidth(), 300);
  EXPECT_EQ(formHelp->DelayInterval(), 0);
}

TEST_F(WindowHelpTest, F1OverEdit1ShowsItsLongHintWithEscBoldAndTheMarksGone) {
  THelpWindow* popup = PressF1Over(window->edit1());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->HelpControl(), window->edit1());
  EXPECT_EQ(popup->Text(), help::LongHint(help::HintOf(window->edit1())));
  EXPECT_TRUE(popup->isVisible());

  const QStringList lines = LineTexts(*popup);
  EXPECT_EQ(lines.last(), QStringLiteral("Use ESC if the search is wrong."));
  EXPECT_EQ(lines.count(QString()), 3);  // the blank lines between the source lines
  for (const QString& line : lines) {
    EXPECT_FALSE(line.contains(QLatin1Char('[')) || line.contains(QLatin1Char(']')))
        << line.toStdString();
  }
  const std::vector<help::Run>& last = popup->Layout().lines.back();
  ASSERT_EQ(last.size(), 3u);
  EXPECT_EQ(last[1].text, U" ESC");
  EXPECT_EQ(last[1].style.styles, unsigned{help::kBold});
  EXPECT_EQ(last[0].style.styles, 0u);
  EXPECT_EQ(last[2].style.styles, 0u);
}

TEST_F(WindowHelpTest, HelpButtonThenAClickOnMemo1ShowsItsHintAndTheButtonComesUp) {
  Click(Qt::LeftButton, window->ToolButton12());
  EXPECT_TRUE(window->FormHelp()->InHelpMode());
  EXPECT_TRUE(window->ToolButton12()->isChecked());
  EXPECT_FALSE(QWhatsThis::inWhatsThisMode());

  Click(Qt::LeftButton, window->memo1());
  ASSERT_NE(THelpWindow::Current(), nullptr);
  EXPECT_EQ(THelpWindow::Current()->Text(), QStringLiteral("Here the program show the result"));
  EXPECT_FALSE(window->FormHelp()->InHelpMode());
  EXPECT_FALSE(window->ToolButton12()->isChecked());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(WindowHelpTest, RightClickOnTheStatusBarOffersWhatsThisForItsMultiLineHint) {
  Click(Qt::RightButton, window->sbar());
  ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("&What's This?"));
  menu->actions().first()->trigger();
  menu->close();

  ASSERT_TRUE(WaitUntil([] { return THelpWindow::Current() != nullptr; }));
  const THelpWindow& popup = *THelpWindow::Current();
  EXPECT_EQ(popup.HelpControl(), window->sbar());
  const QStringList lines = LineTexts(popup);
  ASSERT_GE(lines.size(), 5);
  EXPECT_EQ(lines[0], QStringLiteral("On the status bar there are 3 area's."));
  EXPECT_EQ(lines[1], QString());
  EXPECT_EQ(lines[2], QStringLiteral("most left:          the number of items."));
  EXPECT_TRUE(lines.last().endsWith(QStringLiteral("the fullname of the group.")));
}

TEST_F(WindowHelpTest, CopyPutsTheTextWithoutTagsOnTheClipboardAndThePopupStays) {
  THelpWindow* popup = PressF1Over(window->edit1());
  ASSERT_NE(popup, nullptr);
  QTest::mouseClick(popup, Qt::RightButton);
  ASSERT_TRUE(WaitUntil([&] { return QApplication::activePopupWidget() == &popup->CopyMenu(); }));
  QCoreApplication::processEvents();  // the menu takes the focus for a while
  ASSERT_EQ(popup->CopyMenu().actions().size(), 1);
  EXPECT_EQ(popup->CopyMenu().actions().first()->text(), QStringLiteral("&Copy"));
  popup->CopyMenu().actions().first()->trigger();
  popup->CopyMenu().close();
  QCoreApplication::processEvents();

  const QString copied = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(
      copied.startsWith(QStringLiteral("Enter the groupname of workstatation groupname. \r\n")));
  EXPECT_TRUE(copied.endsWith(QStringLiteral("\r\n\r\nUse ESC if the search is wrong.")));
  EXPECT_EQ(THelpWindow::Current(), popup);
  EXPECT_TRUE(popup->isVisible());
}

TEST_F(WindowHelpTest, DelayIntervalClosesThePopupByItself) {
  help::testing::ManualDelayClock clock;
  window->FormHelp()->SetDelayClock(clock.Clock());
  window->FormHelp()->SetDelayInterval(3000);
  THelpWindow* popup = PressF1Over(window->memo1());
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->CountingDown());
  clock.Advance(2999);
  EXPECT_EQ(THelpWindow::Current(), popup);
  clock.Advance(1);
  EXPECT_EQ(THelpWindow::Current(), nullptr);

  window->FormHelp()->SetDelayInterval(0);
  popup = PressF1Over(window->memo1());
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(popup->CountingDown());
  clock.Advance(60000);
  EXPECT_EQ(THelpWindow::Current(), popup);
}

TEST_F(WindowHelpTest, AKeyPressClosesThePopup) {
  THelpWindow* popup = PressF1Over(window->exitexit());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->Text(), QStringLiteral("Exit"));
  QTest::keyClick(popup, Qt::Key_Escape);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowHelpTest, ControlsWithoutAnyHintShowNothing) {
  // The help button itself has no hint, nor have the tool bar and the window.
  EXPECT_EQ(PressF1Over(window->ToolButton12()), nullptr);
  const QWidget* toolBar = window->ToolBar1();
  EXPECT_EQ(PressF1At(toolBar->mapToGlobal(QPoint(toolBar->width() - 3, 3))), nullptr);
}

}  // namespace
}  // namespace vorlix::app
