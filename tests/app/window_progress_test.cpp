// Long lookups and exports in the real window on a generated tree, on a fake clock: the count in
// the status bar and Esc, the export's progress dialog and its Cancel, and the commands that wait
// while one runs. What the user does meanwhile is done from within the window's event handling,
// where the running command lets it in.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/fake_clock.h"
#include "core/generated_tree.h"
#include "qt_test_environment.h"
#include "window_fixture.h"

namespace vorlix::app::testing {
namespace {

using namespace std::chrono_literals;
using vorlix::testing::GeneratedUser;

constexpr int kMembers = 3000;

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the progress dialogs that were shown.
class ShownDialogs : public QObject {
 public:
  ShownDialogs() { QApplication::instance()->installEventFilter(this); }
  ~ShownDialogs() override { QApplication::instance()->removeEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched)) ++count;
    return false;
  }
};

class GuiProgress : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    static const QString tree = QString::fromStdString(vorlix::testing::WriteGeneratedTree(
        (TempPath(QStringLiteral("generated")) + QStringLiteral("/tree.ldif")).toStdString(),
        kMembers));
    // Each reading of the clock takes a millisecond, as if each row took that long.
    fake.step = 1ms;
    clock = fake.Clock();
    ini_ = QStringLiteral("[DIRECTORY]\nsource=%1\n").arg(tree);
    OpenWindow(ini_);
  }
  // Runs `action` at the first moment the running command lets the window's events in.
  void WhileItRuns(const std::function<void()>& action) {
    QTimer::singleShot(0, window.get(), action);
  }
  void ListEveryone() {
    TypeAndEnter(QStringLiteral("Everyone"));
    ASSERT_EQ(window->memo1()->ShownRowCount(), kMembers);
  }

  vorlix::testing::FakeClock fake;
  QString ini_;
};

TEST_F(GuiProgress, ALookupCountsInTheStatusBarAndEscKeepsTheRowsReadSoFar) {
  QString countShown;
  int rowsShown = -1;
  bool busy = false;
  WhileItRuns([&] {
    countShown = window->PanelText(0);
    rowsShown = window->memo1()->ShownRowCount();
    busy = window->Busy() && QApplication::overrideCursor() != nullptr;
    QTest::keyClick(window->edit1(), Qt::Key_Escape);
  });
  TypeAndEnter(QStringLiteral("Everyone"));

  const int listed = countShown.toInt();
  ASSERT_GT(listed, 0) << countShown.toStdString();
  ASSERT_LT(listed, kMembers);
  EXPECT_EQ(rowsShown, listed);  // the table shows the rows as they are read
  EXPECT_TRUE(busy);
  // Cancelled: the rows read so far stay, in order, and the status bar says the list is
  // incomplete.
  const QStringList names = Column(0);
  ASSERT_EQ(names.size(), listed);
  EXPECT_EQ(names.first(), QStringLiteral("user00000.gen"));
  EXPECT_EQ(names.last(), QString::fromStdString(GeneratedUser(listed - 1) + ".gen"));
  EXPECT_EQ(window->PanelText(0), countShown);
  EXPECT_EQ(
      window->PanelText(1),
      QStringLiteral("Cancelled: %1 of 3000 members listed, the list is incomplete").arg(listed));
  EXPECT_EQ(window->PanelText(2), QStringLiteral("Everyone.gen"));
  EXPECT_EQ(window->edit1()->text(), QStringLiteral("Everyone"));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_FALSE(window->Busy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Without Esc the next lookup lists everyone and shows the member count.
  ListEveryone();
  EXPECT_EQ(window->PanelText(0), QStringLiteral("3000"));
  EXPECT_EQ(window->PanelText(1), QStringLiteral("Generated users"));
}

TEST_F(GuiProgress, OtherCommandsAreGreyedOutAndRefusedWhileALookupRuns) {
  saveAnswer = TempPath(QStringLiteral("exports")) + QStringLiteral("/during.csv");
  QFile::remove(saveAnswer);
  const auto commands = [this] {
    return QList<QWidget*>{window->ToolButton4(), window->cb1(),          window->ToolButton6(),
                           window->ToolButton9(), window->ToolButton10(), window->ToolButton12(),
                           window->ToolButton2()};
  };
  QStringList enabledDuring;
  bool readOnlyDuring = false, exitEnabledDuring = false;
  WhileItRuns([&] {
    for (QWidget* command : commands())
      if (command->isEnabled()) enabledDuring << command->objectName();
    readOnlyDuring = window->edit1()->isReadOnly();
    exitEnabledDuring = window->exitexit()->isEnabled();
    window->ToolButton4Click();  // a second Find
    window->ToolButton10()->click();
    window->ToolButton2Click();
    window->ToolButton6Click();
    QTest::keyClicks(window->edit1(), QStringLiteral("xyz"));  // typing is swallowed
    QTest::keyClick(window->edit1(), Qt::Key_Return);
    // A click on the Phone header would sort the rows read so far by phone.
    QHeaderView* header = window->memo1()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
  });
  ListEveryone();
  EXPECT_EQ(enabledDuring, QStringList());
  EXPECT_TRUE(readOnlyDuring);
  EXPECT_TRUE(exitEnabledDuring);
  for (QWidget* command : commands())
    EXPECT_TRUE(command->isEnabled()) << command->objectName().toStdString();
  EXPECT_FALSE(window->edit1()->isReadOnly());
  EXPECT_TRUE(saveDialogs.isEmpty());
  EXPECT_TRUE(mailCommands.isEmpty());
  EXPECT_EQ(window->edit1()->text(), QStringLiteral("Everyone"));
  EXPECT_EQ(window->PanelText(0), QStringLiteral("3000"));
  const QStringList names = Column(0);
  EXPECT_EQ(names.mid(0, 3),
            (QStringList{QStringLiteral("user00000.gen"), QStringLiteral("user00001.gen"),
                         QStringLiteral("user00002.gen")}));

  // Afterwards every command works again.
  window->ToolButton6Click();
  EXPECT_EQ(mailCommands.size(), 1);
  window->ToolButton10()->click();
  EXPECT_EQ(saveDialogs.size(), 1);
  EXPECT_TRUE(QFile::exists(saveAnswer));
}

TEST_F(GuiProgress, ClosingTheWindowOrExitStopsTheLookupAndClosesWhenItHasStopped) {
  for (const bool exitButton : {false, true}) {
    SCOPED_TRACE(exitButton ? "Exit" : "the window's close");
    if (exitButton) OpenWindow(ini_);
    bool visibleAfterClose = false;
    WhileItRuns([&] {
      if (exitButton)
        QTest::mouseClick(window->exitexit(), Qt::LeftButton);
      else
        window->close();
      visibleAfterClose = window->isVisible();
    });
    TypeAndEnter(QStringLiteral("Everyone"));
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_LT(window->memo1()->ShownRowCount(), kMembers);
    EXPECT_TRUE(window->PanelText(1).startsWith(QStringLiteral("Cancelled: ")));
    EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
  }
}

TEST_F(GuiProgress, CancelInTheExportDialogLeavesNoFileAndKeepsTheOldOne) {
  ListEveryone();
  enum class Stop { CancelButton, Esc, CloseWindow };
  struct Case {
    QString suffix;
    void (TForm1::*command)();
    Stop stop;
  };
  const Case cases[] = {
      {QStringLiteral("csv"), &TForm1::ToolButton10Click, Stop::CancelButton},
      {QStringLiteral("xls"), &TForm1::ToolButton9Click, Stop::Esc},
      {QStringLiteral("xlsx"), &TForm1::ToolButton9Click, Stop::CancelButton},
      {QStringLiteral("pdf"), &TForm1::ToolButton2Click, Stop::CancelButton},
  };
  const QString folder = TempPath(QStringLiteral("cancelled"));
  const QByteArray earlier("earlier contents\n");
  for (const Case& c : cases) {
    for (const bool existing : {true, false}) {
      SCOPED_TRACE((c.suffix + (existing ? " over a file" : " new")).toStdString());
      saveAnswer = folder + QStringLiteral("/members.") + c.suffix;
      QFile::remove(saveAnswer);
      if (existing) {
        QFile file(saveAnswer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier);
      }
      QString label, title;
      bool modal = false;
      WhileItRuns([&] {
        auto* dialog = window->findChild<QProgressDialog*>(QStringLiteral("exportProgress"));
        if (dialog == nullptr || !dialog->isVisible()) return;
        label = dialog->labelText();
        title = dialog->windowTitle();
        modal = dialog->isModal() || dialog->windowModality() == Qt::WindowModal;
        if (c.stop == Stop::Esc) {
          QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
          auto* cancel = dialog->findChild<QPushButton*>();
          ASSERT_NE(cancel, nullptr);
          EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
          cancel->click();
        }
      });
      (window.get()->*c.command)();

      EXPECT_TRUE(label.startsWith(QStringLiteral("Writing members.") + c.suffix + ": "))
          << label.toStdString();
      EXPECT_TRUE(label.endsWith(QStringLiteral(" of 3000 rows"))) << label.toStdString();
      EXPECT_EQ(title, QStringLiteral("vorlix"));
      EXPECT_TRUE(modal);
      if (existing) {
        EXPECT_EQ(ReadBytes(saveAnswer), earlier);
      } else {
        EXPECT_FALSE(QFile::exists(saveAnswer));
      }
      // Nothing of the cancelled run is left beside it.
      EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), existing ? 1 : 0)
          << QDir(folder).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
      EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
      EXPECT_FALSE(window->Busy());
      EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
    }
  }

  // Closing the window stops an export too; the window closes once it has stopped.
  saveAnswer = folder + QStringLiteral("/closed.csv");
  WhileItRuns([&] { window->close(); });
  window->ToolButton10Click();
  EXPECT_FALSE(QFile::exists(saveAnswer));
  EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
}

TEST_F(GuiProgress, AQuickExportShowsNoDialogAndARunToTheEndWritesEverything) {
  ListEveryone();
  const QString folder = TempPath(QStringLiteral("quick"));
  ShownDialogs dialogs;
  // The clock stands still: the run never takes half a second.
  fake.step = 0ms;
  saveAnswer = folder + QStringLiteral("/quick.csv");
  window->ToolButton10Click();
  EXPECT_EQ(dialogs.count, 0);
  EXPECT_EQ(ReadBytes(saveAnswer).count("\r\n"), kMembers + 1);

  // A long run that is not cancelled shows the dialog and writes every row.
  fake.step = 1ms;
  saveAnswer = folder + QStringLiteral("/long.csv");
  window->ToolButton10Click();
  EXPECT_EQ(dialogs.count, 1);
  EXPECT_EQ(ReadBytes(saveAnswer).count("\r\n"), kMembers + 1);
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(GuiProgress, TheDialogFollowsTheFinishingOfTheFileAndCancelThereKeepsTheOldFile) {
  ListEveryone();
  struct Case {
    QString suffix;
    void (TForm1::*command)();
  };
  const Case cases[] = {
      {QStringLiteral("xlsx"), &TForm1::ToolButton9Click},
      {QStringLiteral("xls"), &TForm1::ToolButton9Click},
      {QStringLiteral("pdf"), &TForm1::ToolButton2Click},
      {QStringLiteral("csv"), &TForm1::ToolButton10Click},
  };
  const QString folder = TempPath(QStringLiteral("finishing"));
  const QByteArray earlier("earlier contents\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.suffix.toStdString());
    saveAnswer = folder + QStringLiteral("/members.") + c.suffix;
    QFile file(saveAnswer);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(earlier);
    file.close();
    // Looks at every moment the export lets the window's events in; cancels once the dialog
    // shows the finishing.
    QString label;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* dialog = window->findChild<QProgressDialog*>(QStringLiteral("exportProgress"));
      if (dialog == nullptr || !dialog->labelText().startsWith(QStringLiteral("Finishing ")))
        return;
      label = dialog->labelText();
      watch.stop();
      dialog->findChild<QPushButton*>()->click();
    });
    watch.start(0);
    (window.get()->*c.command)();
    watch.stop();

    EXPECT_TRUE(label.startsWith(QStringLiteral("Finishing members.") + c.suffix))
        << label.toStdString();
    EXPECT_EQ(ReadBytes(saveAnswer), earlier);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("members.") + c.suffix});
    QFile::remove(saveAnswer);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_FALSE(window->Busy());
  }
}

}  // namespace
}  // namespace vorlix::app::testing
