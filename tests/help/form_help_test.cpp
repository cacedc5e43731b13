// TFormHelp on a small form: the control at a point, F1, the right-click menu, help mode and its
// triggers, the caption button's settings and the pop-up's life: where it shows, what closes it,
// and the tool-tips it keeps away.

#include "help/form_help.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QWhatsThis>
#include <stdexcept>

#include "help/core/hint_choice.h"
#include "help/help_window.h"
#include "help/hint_property.h"
#include "manual_delay_clock.h"
#include "qt_test_environment.h"

namespace vorlix::help {
namespace {

using app::testing::WaitUntil;

QLabel* Label(QWidget* parent, QRect geometry, const QString& hint) {
  auto* label = new QLabel(parent);
  label->setGeometry(geometry);
  SetHint(label, hint);
  return label;
}

class HelpForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form.setGeometry(100, 100, 400, 300);
    panel = new QWidget(&form);
    panel->setGeometry(0, 0, 200, 150);
    SetHint(panel, QStringLiteral("Panel|panel help"));
    inside = Label(panel, QRect(10, 10, 80, 30), QString());
    disabled = new QLineEdit(panel);
    disabled->setGeometry(10, 50, 80, 30);
    disabled->setEnabled(false);
    SetHint(disabled, QStringLiteral("|disabled help"));
    transparent = Label(panel, QRect(10, 90, 80, 30), QStringLiteral("|transparent help"));
    transparent->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label(&form, QRect(0, 0, 200, 150), QStringLiteral("|hidden help"))->hide();
    cancel = new QPushButton(QStringLiteral("Cancel"), &form);
    cancel->setGeometry(250, 10, 100, 30);
    cancel->setProperty(kModalResultProperty, mrCancel);
    menuOwner = Label(&form, QRect(250, 60, 100, 30), QStringLiteral("|menu owner"));
    menuOwner->setContextMenuPolicy(Qt::CustomContextMenu);
    handler = Label(&form, QRect(250, 100, 100, 30), QStringLiteral("|handler"));
    handler->setProperty(kMouseHandlersProperty, true);
    plain = Label(&form, QRect(250, 140, 100, 30), QStringLiteral("Plain|plain help"));
    bare = Label(&form, QRect(250, 200, 100, 30), QString());
    help = new TFormHelp(&form);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return form.isActiveWindow(); }));
  }

  void TearDown() override {
    if (THelpWindow* popup = THelpWindow::Current()) popup->CloseHelp();
    if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    delete help;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  static QPoint Global(const QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
  }
  void Click(Qt::MouseButton button, const QWidget* widget) {
    QTest::mouseClick(form.windowHandle(), button, {},
                      widget->mapTo(&form, widget->rect().center()));
    QCoreApplication::processEvents();
  }
  QString PopupText() const {
    const THelpWindow* popup = THelpWindow::Current();
    return popup != nullptr ? popup->Text() : QStringLiteral("<none>");
  }

  QWidget form;
  QWidget* panel = nullptr;
  QLabel* inside = nullptr;
  QLineEdit* disabled = nullptr;
  QLabel* transparent = nullptr;
  QPushButton* cancel = nullptr;
  QLabel* menuOwner = nullptr;
  QLabel* handler = nullptr;
  QLabel* plain = nullptr;
  QLabel* bare = nullptr;
  TFormHelp* help = nullptr;
};

TEST_F(HelpForm, ControlAtAPointTakesDisabledAndTransparentChildrenAndSkipsHiddenOnes) {
  EXPECT_EQ(WidgetAtScreenPoint(Global(disabled)), disabled);
  EXPECT_EQ(help->HelpControlAt(Global(disabled)), disabled);
  EXPECT_EQ(help->HelpControlAt(Global(transparent)), transparent);
  EXPECT_EQ(WidgetAtScreenPoint(Global(inside)), inside);
  EXPECT_EQ(help->HelpControlAt(Global(inside)), panel);
  EXPECT_EQ(help->HelpControlAt(Global(bare)), nullptr);
  EXPECT_EQ(help->HelpControlAt(QPoint(5, 5)), nullptr);  // no window of ours there
  // A push button without help gets the standard text of its modal result, for good.
  EXPECT_EQ(help->HelpControlAt(Global(cancel)), cancel);
  EXPECT_EQ(HintOf(cancel),
            QStringLiteral("|Closes the dialog box without saving any changes you have made."));
}

TEST_F(HelpForm, F1ShowsHelpForTheControlUnderThePointerNotTheFocusedOne) {
  cancel->setFocus();
  QCursor::setPos(Global(inside));
  QTest::keyClick(cancel, Qt::Key_F1);
  EXPECT_EQ(PopupText(), QStringLiteral("panel help"));
  EXPECT_EQ(THelpWindow::Current()->HelpControl(), panel);
  THelpWindow::Current()->CloseHelp();

  help->SetUseF1(false);
  QTest::keyClick(cancel, Qt::Key_F1);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  help->SetUseF1(true);
  help->SetActive(false);
  QTest::keyClick(cancel, Qt::Key_F1);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  help->SetActive(true);
  QTest::keyClick(cancel, Qt::Key_F1, Qt::ControlModifier);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
}

TEST_F(HelpForm, OnShowChangesTheTextOnHideFiresAndANewPopupReplacesTheOld) {
  QStringList hidden;
  help->OnShow = [](TFormHelp&, QWidget*, QString& text) { text = QStringLiteral("> ") + text; };
  help->OnHide = [&](TFormHelp&, QWidget* control) { hidden << HintOf(control); };

  help->ShowHelpFor(plain);
  EXPECT_EQ(PopupText(), QStringLiteral("> plain help"));
  THelpWindow* first = THelpWindow::Current();
  help->ShowHelpFor(disabled);
  EXPECT_NE(THelpWindow::Current(), first);
  EXPECT_EQ(PopupText(), QStringLiteral("> disabled help"));
  EXPECT_EQ(hidden, QStringList{QStringLiteral("Plain|plain help")});

  // Left and middle clicks and keys close it; OnHide once each.
  QTest::mouseClick(THelpWindow::Current(), Qt::MiddleButton);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  help->ShowHelpFor(plain);
  QTest::keyClick(THelpWindow::Current(), Qt::Key_Shift);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  EXPECT_EQ(hidden.size(), 3);

  // A message without a control: neither event.
  help->ShowHelp(nullptr, Global(bare), QStringLiteral("free text"));
  EXPECT_EQ(PopupText(), QStringLiteral("free text"));
  QTest::mouseClick(THelpWindow::Current(), Qt::LeftButton);
  EXPECT_EQ(hidden.size(), 3);
}

TEST_F(HelpForm, ThePopupHangsCentredBelowThePointAndStaysOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const auto placed = [&](QPoint point, QPoint pointer) {
    QCursor::setPos(pointer);
    help->ShowHelp(plain, point, QString());
    const THelpWindow* popup = THelpWindow::Current();
    EXPECT_EQ(popup->size(),
              QSize(popup->Layout().placement.width, popup->Layout().placement.height));
    return popup->geometry();
  };
  // At the point asked for, else at the pointer: centred on it, hanging below it.
  const QPoint middle = screen.center();
  QRect frame = placed(middle + QPoint(40, 30), middle);
  EXPECT_EQ(frame.topLeft(), middle + QPoint(40 - frame.width() / 2, 30));
  frame = placed(QPoint(-1, -1), middle);
  EXPECT_EQ(frame.topLeft(), middle - QPoint(frame.width() / 2, 0));
  // Near the right and bottom edges: against the right edge, lifted 20 pixels off the bottom.
  frame = placed(screen.bottomRight() - QPoint(2, 2), middle);
  EXPECT_EQ(frame.topLeft(),
            QPoint(screen.right() + 1 - frame.width(), screen.bottom() + 1 - frame.height() - 20));
  frame = placed(QPoint(screen.left() + 3, middle.y()), middle);
  EXPECT_EQ(frame.topLeft(), QPoint(screen.left(), middle.y()));
}

TEST_F(HelpForm, ThePopupClosesByItselfOnceItsDelayHasPassed) {
  help::testing::ManualDelayClock clock;
  help->SetDelayClock(clock.Clock());
  // Without a delay it stays until it is dismissed.
  help->ShowHelpFor(plain);
  EXPECT_FALSE(THelpWindow::Current()->CountingDown());
  clock.Advance(60000);
  EXPECT_EQ(PopupText(), QStringLiteral("plain help"));
  EXPECT_TRUE(clock.Started().empty());

  help->SetDelayInterval(3000);
  help->ShowHelpFor(plain);
  const THelpWindow* popup = THelpWindow::Current();
  EXPECT_TRUE(popup->CountingDown());
  EXPECT_EQ(clock.Started(), std::vector<int>{3000});
  clock.Advance(2999);
  EXPECT_EQ(THelpWindow::Current(), popup);
  EXPECT_TRUE(popup->isVisible());
  clock.Advance(1);
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  EXPECT_FALSE(popup->isVisible());

  // A pop-up that a newer one replaced takes its countdown with it.
  help->ShowHelpFor(plain);
  clock.Advance(2000);
  help->ShowHelpFor(disabled);
  clock.Advance(1000);
  EXPECT_EQ(PopupText(), QStringLiteral("disabled help"));
  clock.Advance(2000);
  EXPECT_EQ(THelpWindow::Current(), nullptr);

  // No timer to be had: the error reaches the caller and no pop-up stays.
  clock.RefuseNextStart();
  try {
    help->ShowHelpFor(plain);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Not enough timers available");
  }
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(form.findChildren<THelpWindow*>().isEmpty());
}

TEST_F(HelpForm, ThePopupClosesWhenItLosesTheFocusButNotToItsCopyMenu) {
  help->ShowHelpFor(plain);
  THelpWindow* popup = THelpWindow::Current();
  ASSERT_TRUE(WaitUntil([&] { return popup->hasFocus(); }));
  // The "&Copy" menu takes the focus while it shows.
  QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(popup, &toMenu);
  EXPECT_EQ(THelpWindow::Current(), popup);

  form.activateWindow();
  EXPECT_TRUE(WaitUntil([] { return THelpWindow::Current() == nullptr; }));
}

TEST_F(HelpForm, ToolTipsStayAwayWhileThePopupShows) {
  plain->setToolTip(QStringLiteral("a tip"));
  const auto askForTip = [&] {
    const QPoint local(5, 5);
    QHelpEvent event(QEvent::ToolTip, local, plain->mapToGlobal(local));
    QApplication::sendEvent(plain, &event);
  };
  askForTip();
  ASSERT_TRUE(QToolTip::isVisible());
  ASSERT_EQ(QToolTip::text(), QStringLiteral("a tip"));
  // The tip on show goes when the pop-up comes (a tip fades out on a timer of its own), and no
  // other comes while the pop-up stays.
  help->ShowHelpFor(plain);
  EXPECT_TRUE(WaitUntil([] { return !QToolTip::isVisible(); }));
  askForTip();
  EXPECT_FALSE(QToolTip::isVisible());
  THelpWindow::Current()->CloseHelp();
  askForTip();
  EXPECT_TRUE(QToolTip::isVisible());
  QToolTip::hideText();
}

TEST_F(HelpForm, RightClickOffersWhatsThisOnlyToControlsWithoutMenuOrMouseHandlers) {
  Click(Qt::RightButton, plain);
  ASSERT_TRUE(
      WaitUntil([&] { return QApplication::activePopupWidget() == &help->WhatsThisMenu(); }));
  EXPECT_TRUE(help->InMenuLoop());
  EXPECT_EQ(help->RightClickedControl(), plain);
  ASSERT_EQ(help->WhatsThisMenu().actions().size(), 1);
  QAction* item = help->WhatsThisMenu().actions().first();
  EXPECT_EQ(item->text(), QStringLiteral("&What's This?"));
  EXPECT_EQ(item->data().toInt(), TFormHelp::kWhatsThisCommand);
  item->trigger();
  help->WhatsThisMenu().close();
  EXPECT_TRUE(WaitUntil([&] { return THelpWindow::Current() != nullptr; }));
  EXPECT_EQ(PopupText(), QStringLiteral("plain help"));
  EXPECT_FALSE(help->InMenuLoop());
  THelpWindow::Current()->CloseHelp();

  for (QWidget* control : {static_cast<QWidget*>(menuOwner), static_cast<QWidget*>(handler),
                           static_cast<QWidget*>(bare)}) {
    Click(Qt::RightButton, control);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << control->objectName().toStdString();
  }
}

TEST_F(HelpForm, OnWhatsThisMayShowTheHelpAtOnceInsteadOfTheMenu) {
  QWidget* asked = nullptr;
  help->OnWhatsThis = [&](TFormHelp&, QWidget* control, QPoint point, bool& showPopup,
                          bool& showHelp) {
    asked = control;
    EXPECT_EQ(point, Global(plain));
    showPopup = false;
    showHelp = true;
  };
  Click(Qt::RightButton, plain);
  EXPECT_TRUE(WaitUntil([&] { return THelpWindow::Current() != nullptr; }));
  EXPECT_EQ(asked, plain);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(PopupText(), QStringLiteral("plain help"));
}

TEST_F(HelpForm, NoMenuWhereAPopupAlreadyShowsNearThePoint) {
  const QPoint point = Global(plain);
  // A help pop-up hanging just below the point covers (x ± 6, y + 6) but not the point itself.
  help->ShowHelp(nullptr, point + QPoint(0, 4), QStringLiteral("already here"));
  EXPECT_TRUE(PopupAt(point + QPoint(6, 6)));
  EXPECT_FALSE(PopupAt(point + QPoint(6, -6)));
  Click(Qt::RightButton, plain);
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(PopupText(), QStringLiteral("already here"));
}

TEST_F(HelpForm, HelpModeFromAToolButtonHoldsTheMouseUntilTheClickIsDone) {
  auto* button = new QToolButton(&form);
  button->setGeometry(250, 240, 30, 30);
  button->show();
  help->WhatsThis().SetToolbarButton(button);
  EXPECT_TRUE(button->isCheckable());

  Click(Qt::LeftButton, button);
  EXPECT_TRUE(help->InHelpMode());
  EXPECT_TRUE(button->isChecked());
  EXPECT_EQ(QWidget::mouseGrabber(), &form);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);

  // The click reaches the form, not the control: help for it, and help mode is over.
  Click(Qt::LeftButton, cancel);
  EXPECT_EQ(PopupText(),
            QStringLiteral("Closes the dialog box without saving any changes you have made."));
  EXPECT_FALSE(help->InHelpMode());
  EXPECT_FALSE(button->isChecked());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  delete button;
  EXPECT_EQ(help->WhatsThis().ToolbarButton(), nullptr);
}

TEST_F(HelpForm, HelpModeFromAMenuItemEndsWhenAnotherWidgetTakesTheMouse) {
  QAction item;
  help->WhatsThis().SetMenuItem(&item);
  item.trigger();
  EXPECT_TRUE(help->InHelpMode());
  Click(Qt::LeftButton, bare);  // no help there
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  EXPECT_FALSE(help->InHelpMode());

  item.trigger();
  plain->grabMouse();
  QEvent nudge(QEvent::UpdateRequest);
  QCoreApplication::sendEvent(&form, &nudge);
  EXPECT_FALSE(help->InHelpMode());
  plain->releaseMouse();
}

TEST_F(HelpForm, TheWindowsOwnContextHelpCommandStartsThisHelpMode) {
  QWhatsThis::enterWhatsThisMode();
  EXPECT_TRUE(help->InHelpMode());
  EXPECT_TRUE(WaitUntil([] { return !QWhatsThis::inWhatsThisMode(); }));
  Click(Qt::LeftButton, disabled);
  EXPECT_EQ(PopupText(), QStringLiteral("disabled help"));
  EXPECT_FALSE(help->InHelpMode());
}

TEST_F(HelpForm, CaptionButtonSettingsAndClicks) {
  EXPECT_TRUE(help->ToggleMode());
  EXPECT_EQ(help->CursorHelp(), Qt::WhatsThisCursor);
  EXPECT_EQ(help->CaptionButton().Hint(), QStringLiteral("Help"));
  EXPECT_FALSE(help->CaptionButton().Visible());
  EXPECT_EQ(help->GlyphChar(), QChar(115));
  EXPECT_EQ(help->GlyphFont().family(), QStringLiteral("Marlett"));
  EXPECT_EQ(help->GlyphOffset().y(), 1);
  EXPECT_EQ(help->SystemMenu().Caption(), QStringLiteral("&What's This?"));
  EXPECT_EQ(help->SystemMenu().Position(), 7);
  EXPECT_EQ(help->SystemMenu().Separators(), unsigned{seBefore});
  EXPECT_FALSE(help->SystemMenu().Inserted());
  EXPECT_TRUE(help->ToolTip().registered);
  EXPECT_FALSE(help->ToolTip().active);

  int clicks = 0;
  help->OnButtonClick = [&](TFormHelp&) { ++clicks; };
  // From the menu entry: help mode, and the button comes straight up again.
  help->SystemMenuCommand();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(help->InHelpMode());
  EXPECT_FALSE(help->Down());
  Click(Qt::LeftButton, bare);
  EXPECT_FALSE(help->InHelpMode());

  // Shown and clicked: down while help mode lasts, up again when it ends.
  help->CaptionButton().SetVisible(true);
  EXPECT_TRUE(help->ToolTip().active);
  EXPECT_EQ(help->ToolTip().text, QStringLiteral("Help"));
  help->SystemMenu().SetApplyToMenu(true);
  ASSERT_TRUE(help->SystemMenu().Inserted());
  const WindowMenu& menu = help->OwnerWindowMenu();
  EXPECT_EQ(menu.Items().back().caption, "&What's This?");
  EXPECT_EQ(menu.Items()[menu.Count() - 2].command, kSeparatorBeforeCommand);

  QStringList notified;
  help->onBeforeClick = [&] { notified << QStringLiteral("before"); };
  help->onClick = [&] { notified << QStringLiteral("click"); };
  help->onChange = [&](bool down) { notified << (down ? "down" : "up"); };
  help->CaptionButtonPressed();
  EXPECT_TRUE(help->DrawnDown());
  EXPECT_EQ(help->CurrentCursor(), Qt::WhatsThisCursor);
  help->CaptionButtonReleased();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(notified, (QStringList{"before", "click", "down"}));
  EXPECT_TRUE(help->Down());
  EXPECT_TRUE(help->InHelpMode());
  EXPECT_TRUE(help->OwnerWindowMenu().Find(kCaptionButtonCommand)->checked);
  Click(Qt::LeftButton, bare);
  EXPECT_FALSE(help->InHelpMode());
  EXPECT_FALSE(help->Down());
  EXPECT_FALSE(help->OwnerWindowMenu().Find(kCaptionButtonCommand)->checked);

  help->CaptionButton().SetEnabled(false);
  EXPECT_TRUE(help->OwnerWindowMenu().Find(kCaptionButtonCommand)->greyed);
  EXPECT_FALSE(help->ToolTip().active);
  help->SystemMenu().SetApplyToMenu(false);
  EXPECT_EQ(help->OwnerWindowMenu().Count(), 7);
}

TEST_F(HelpForm, SettingsKeepTheirDefaultsAndRanges) {
  EXPECT_TRUE(help->Active());
  EXPECT_TRUE(help->AdjustPopupWidth());
  EXPECT_EQ(help->DelayInterval(), 0);
  EXPECT_EQ(help->Color(), QColor(255, 255, 238));
  EXPECT_EQ(help->ShadowColor(), QColor(Qt::black));
  EXPECT_TRUE(help->ShowShadow());
  EXPECT_EQ(help->Cursor(), Qt::ArrowCursor);
  EXPECT_EQ(help->Margins().Horizontal, 11);
  EXPECT_EQ(help->Margins().Vertical, 7);
  EXPECT_FALSE(help->TextStyle().PlainText);
  EXPECT_EQ(help->TextStyle().TagOpen, U'[');
  EXPECT_TRUE(help->UseF1());
  EXPECT_TRUE(help->WhatsThis().Enabled());
  EXPECT_EQ(&help->WhatsThis().FormHelp(), help);

  EXPECT_EQ(help->PopupWidth(), 300);
  EXPECT_THROW(help->SetPopupWidth(39), std::out_of_range);
  EXPECT_THROW(help->SetPopupWidth(1001), std::out_of_range);
  help->SetPopupWidth(40);
  EXPECT_EQ(help->PopupWidth(), 40);

  // The form's font until the font is set; then it stays.
  EXPECT_TRUE(help->ParentFont());
  QFont big = form.font();
  big.setPixelSize(30);
  form.setFont(big);
  help->ShowHelp(nullptr, Global(bare), QStringLiteral("x"));
  EXPECT_EQ(help->Font().pixelSize(), 30);
  QFont small = big;
  small.setPixelSize(9);
  help->SetFont(small);
  EXPECT_FALSE(help->ParentFont());
  help->ShowHelp(nullptr, Global(bare), QStringLiteral("x"));
  EXPECT_EQ(help->Font().pixelSize(), 9);

  help->WhatsThis().SetCaption(QStringLiteral("&Explain"));
  ASSERT_EQ(help->WhatsThisMenu().actions().size(), 1);
  EXPECT_EQ(help->WhatsThisMenu().actions().first()->text(), QStringLiteral("&Explain"));
}

TEST_F(HelpForm, OnlyTheFirstEnabledComponentHoldsTheMouseHook) {
  QWidget other;
  auto* second = new TFormHelp(&other);
  EXPECT_TRUE(help->OwnsMouseHook());
  EXPECT_FALSE(second->OwnsMouseHook());
  help->WhatsThis().SetEnabled(false);
  EXPECT_FALSE(help->OwnsMouseHook());
  EXPECT_FALSE(second->OwnsMouseHook());
  second->WhatsThis().SetEnabled(true);
  EXPECT_TRUE(second->OwnsMouseHook());
  delete second;
  help->WhatsThis().SetEnabled(true);
  EXPECT_TRUE(help->OwnsMouseHook());
}

}  // namespace
}  // namespace vorlix::help
