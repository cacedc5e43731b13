// The main window over a small tree: start-up, caption, lookups with and without the choice
// dialog, the kind change, Mail, a directory error in mid-lookup, and Exit.

#include <QApplication>
#include <QTest>
#include <memory>

#include "app/core/caption.h"
#include "directory/embedded_client.h"
#include "qt_test_environment.h"
#include "window_fixture.h"

namespace vorlix::app::testing {
namespace {

using GuiWindow = WindowTest;

// The embedded client over the test tree, logging the shutdown calls; it can refuse to start.
class ShutdownLoggingClient : public directory::EmbeddedClient {
 public:
  ShutdownLoggingClient(std::shared_ptr<QStringList> log, bool starts)
      : EmbeddedClient(VORLIX_TEST_DATA_DIR "/app/window-tree.ldif"),
        log_(std::move(log)),
        starts_(starts) {}
  int32_t calStartup(int32_t a, int32_t b) override {
    return starts_ ? EmbeddedClient::calStartup(a, b) : -1;
  }
  int32_t dsCloseContext(directory::Context context) override {
    *log_ << QStringLiteral("dsCloseContext");
    return EmbeddedClient::dsCloseContext(context);
  }
  int32_t clxShutdown(int32_t a) override {
    *log_ << QStringLiteral("clxShutdown %1").arg(a);
    return EmbeddedClient::clxShutdown(a);
  }
  int32_t calShutdown(int32_t a) override {
    *log_ << QStringLiteral("calShutdown %1").arg(a);
    return EmbeddedClient::calShutdown(a);
  }

 private:
  std::shared_ptr<QStringList> log_;  // shared: the window may outlive a failed test's locals
  bool starts_;
};

TEST_F(GuiWindow, StartupOpensTheTreeLaysOutTheCaptionAndOffersTwoKinds) {
  OpenWindow(TestTreeIni());
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_FALSE(window->start()->isActive());
  EXPECT_EQ(window->State().TreeName, "WINDOW_TEST_TREE");
  ASSERT_EQ(window->cb1()->count(), 2);
  EXPECT_EQ(window->cb1()->itemText(1), QStringLiteral("WorkStation Group"));

  const QString notice = QString::fromLatin1(core::kCaptionNotice);
  const QString wide = window->windowTitle();
  EXPECT_TRUE(wide.startsWith(QStringLiteral(" v1.07 - WINDOW_TEST_TREE "))) << wide.toStdString();
  EXPECT_TRUE(wide.endsWith(notice));
  // The notice stays near the right edge: a narrower window gets less fill, a very narrow one
  // none at all.
  window->resize(500, 300);
  const QString narrow = window->windowTitle();
  EXPECT_TRUE(narrow.endsWith(notice));
  EXPECT_LT(narrow.size(), wide.size());
  // A tree name too long for the window leaves no room for any fill.
  window->State().TreeName = std::string(200, 'T');
  window->UpdateCaption();
  EXPECT_EQ(window->windowTitle(), QStringLiteral(" v1.07 - ") + QString(200, 'T') + notice);

  window->startTimer();  // the step runs once only
  EXPECT_EQ(window->cb1()->count(), 2);
}

TEST_F(GuiWindow, TheStartTimerRunsTheStartupStepAfterASecond) {
  OpenWindow(TestTreeIni(), false);
  EXPECT_EQ(window->cb1()->count(), 3);
  EXPECT_TRUE(WaitUntil([this] { return window->cb1()->count() == 2; }, 3000));
  EXPECT_EQ(window->State().TreeName, "WINDOW_TEST_TREE");
}

TEST_F(GuiWindow, AMissingDirectorySourceIsReportedAndClosesTheWindow) {
  OpenWindow(QStringLiteral("[DIRECTORY]\nsource=/nonexistent/tree.ldif\n"));
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_TRUE(messages.first().startsWith(QStringLiteral("Novell Client not installed?\n")))
      << messages.first().toStdString();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->cb1()->count(), 3);
}

TEST_F(GuiWindow, ADirectorySectionThatCannotBeUsedIsAnErrorNeverTheSampleTree) {
  OpenWindow(QStringLiteral("[DIRECTORY\nsource=/srv/tree.ldif\n"));
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages.first().contains(
      QStringLiteral("vorlix.ini:1: the section header \"[DIRECTORY\" has no closing \"]\"")))
      << messages.first().toStdString();
  EXPECT_FALSE(messages.first().contains(QStringLiteral("sample tree")));
  EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Novell Client not installed?\n")));
  EXPECT_TRUE(messages[1].endsWith(QStringLiteral(
      "vorlix.ini:1: the [DIRECTORY] section names no usable \"source\", so no directory is "
      "opened")))
      << messages[1].toStdString();
  EXPECT_EQ(window->State().TreeName, "");
  EXPECT_FALSE(window->isVisible());
}

TEST_F(GuiWindow, TheCaptionSaysWhenTheSampleTreeIsShown) {
  OpenWindow(QStringLiteral("[SYSTEM]\nphone=0\n"));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_EQ(window->State().TreeName, "HARBOURLINE_TREE");
  EXPECT_TRUE(window->windowTitle().startsWith(
      QStringLiteral(" v1.07 - HARBOURLINE_TREE (the bundled sample tree) ")))
      << window->windowTitle().toStdString();
  window.reset();
  OpenWindow(TestTreeIni());
  EXPECT_FALSE(window->windowTitle().contains(QStringLiteral("sample")));
}

TEST_F(GuiWindow, ExitClosesTheWindowAndItsDestructionShutsTheClientDown) {
  auto log = std::make_shared<QStringList>();
  client = std::make_unique<ShutdownLoggingClient>(log, true);
  OpenWindow(QString());
  ASSERT_EQ(window->cb1()->count(), 2);
  window->exitexit()->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(log->isEmpty());
  window.reset();
  EXPECT_EQ(*log, (QStringList{"dsCloseContext", "clxShutdown 0", "calShutdown 0"}));

  // A client that does not start: the message, the window closes, no context to close.
  log->clear();
  client = std::make_unique<ShutdownLoggingClient>(log, false);
  OpenWindow(QString());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.first().startsWith(QStringLiteral("Novell Client not installed?")));
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->cb1()->count(), 3);
  window.reset();
  EXPECT_EQ(*log, (QStringList{"clxShutdown 0", "calShutdown 0"}));
}

TEST_F(GuiWindow, TypingANameAndPressingEnterFillsTheTable) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Sales E"));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_EQ(Column(0), (QStringList{"anna.sales.acme", "bert.sales.acme"}));
  EXPECT_EQ(Column(1), (QStringList{"555-0101", "555-0102"}));
  EXPECT_EQ(Column(4), (QStringList{"", ""}));
  EXPECT_EQ(Cell(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(window->PanelText(0), QStringLiteral("2"));
  EXPECT_EQ(window->PanelText(1), QStringLiteral("Sales, east region"));
  EXPECT_EQ(window->PanelText(2), QStringLiteral("Sales East.sales.acme"));
  EXPECT_EQ(window->edit1()->text(), QStringLiteral("Sales E"));  // left as typed
  EXPECT_FALSE(window->Form2()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window->State().CurrentObjectName, "Sales East.sales.acme");

  TypeAndEnter(QStringLiteral("Nothing like this"));
  EXPECT_EQ(window->memo1()->ShownRowCount(), 0);
  EXPECT_EQ(window->PanelText(2), QString());
  EXPECT_EQ(window->State().CurrentObjectName, "Sales East.sales.acme");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GuiWindow, SeveralMatchesOpenTheChoiceDialogWhereADoubleClickPicks) {
  OpenWindow(TestTreeIni());
  QStringList offered;
  OnNextModal([&](QWidget* modal) {
    EXPECT_EQ(modal, window->Form2());
    QTreeWidget* list = window->Form2()->ListView1();
    for (int i = 0; i < list->topLevelItemCount(); ++i) offered << list->topLevelItem(i)->text(0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // no hourglass over the dialog
    const QPoint row = list->visualItemRect(list->topLevelItem(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
  });
  TypeAndEnter(QStringLiteral("Sales"));
  // The names come in the lookup's (locale) order; all three are offered.
  QStringList sorted = offered;
  sorted.sort();
  EXPECT_EQ(sorted,
            (QStringList{"Sales East.sales.acme", "Sales West.sales.acme", "Sales.sales.acme"}));
  const QString chosen = offered.value(2);
  EXPECT_EQ(window->edit1()->text(), chosen);
  EXPECT_EQ(window->PanelText(2), chosen);
  EXPECT_GT(window->memo1()->ShownRowCount(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GuiWindow, EscInTheChoiceDialogStopsTheLookupWithAnEmptyTable) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Sales E"));
  OnNextModal([&](QWidget*) {
    QTreeWidget* list = window->Form2()->ListView1();
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Escape);
  });
  TypeAndEnter(QStringLiteral("Sales"));
  EXPECT_EQ(window->memo1()->ShownRowCount(), 0);
  EXPECT_EQ(window->edit1()->text(), QStringLiteral("Sales"));
  EXPECT_EQ(window->PanelText(2), QString());
  EXPECT_EQ(window->State().CurrentObjectName, "Sales East.sales.acme");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GuiWindow, WorkstationGroupRowsCarryUserTimeAddressAndPhone) {
  OpenWindow(TestTreeIni());
  ChooseKind(1);
  EXPECT_EQ(window->memo1()->Headers(),
            (QStringList{"Workstation", "User", "Last login", "IP-address", "Phone"}));
  TypeAndEnter(QStringLiteral("Lab"));
  EXPECT_EQ(Column(0), (QStringList{"ws1.acme", "ws2.acme", "ws3.acme"}));
  EXPECT_EQ(Column(1), (QStringList{"anna.sales.acme", "bert.sales.acme", ""}));
  EXPECT_EQ(Column(3), (QStringList{"10.1.2.3", "10.1.2.4", "10.1.2.5"}));
  EXPECT_EQ(Column(4), (QStringList{"555-0101", "555-0102", "  -"}));
  EXPECT_FALSE(Column(2).contains(QString()));

  window->memo1()->memo1ColumnClick(2);  // by the raw time: unregistered (0), 2023, 2024
  EXPECT_EQ(Column(0), (QStringList{"ws3.acme", "ws2.acme", "ws1.acme"}));
}

TEST_F(GuiWindow, AKindChangeEmptiesTableAndEntryButKeepsTheStatusBar) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Sales E"));
  ASSERT_EQ(window->memo1()->ShownRowCount(), 2);
  ChooseKind(1);
  EXPECT_EQ(window->memo1()->ShownRowCount(), 0);
  EXPECT_EQ(window->edit1()->text(), QString());
  EXPECT_EQ(window->memo1()->Headers(),
            (QStringList{"Workstation", "User", "Last login", "IP-address", "Phone"}));
  EXPECT_EQ(window->PanelText(0), QStringLiteral("2"));
  EXPECT_EQ(window->PanelText(1), QStringLiteral("Sales, east region"));
  EXPECT_EQ(window->PanelText(2), QStringLiteral("Sales East.sales.acme"));
  ChooseKind(0);
  EXPECT_EQ(window->memo1()->Headers(), (QStringList{"User", "Phone", "", "", ""}));

  // Mail after a kind change opens a message with no recipients.
  window->ToolButton6()->click();
  EXPECT_EQ(mailCommands, QStringList{"MAILTO:"});
}

TEST_F(GuiWindow, MailHandsTheTickedShortNamesToTheMailProgram) {
  OpenWindow(TestTreeIni());
  window->ToolButton6()->click();  // before any lookup: nothing
  EXPECT_TRUE(mailCommands.isEmpty());

  OnNextModal([&](QWidget*) {
    QTreeWidget* list = window->Form2()->ListView1();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      if (list->topLevelItem(i)->text(0) == QStringLiteral("Sales.sales.acme")) {
        list->setCurrentItem(list->topLevelItem(i));
        const QPoint row = list->visualItemRect(list->topLevelItem(i)).center();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
      }
    }
  });
  TypeAndEnter(QStringLiteral("Sales"));
  ASSERT_EQ(Column(0), (QStringList{"anna.sales.acme", "bert.sales.acme", "Carla.sales.acme",
                                    "jan\\.smith.sales.acme"}));
  window->memo1()->model()->setData(Cell(1, 0), Qt::Unchecked, Qt::CheckStateRole);
  window->memo1()->memo1ColumnClick(1);  // the order changes, the tick stays with bert
  window->ToolButton6()->click();
  ASSERT_EQ(mailCommands.size(), 1);
  EXPECT_EQ(mailCommands.last(), QStringLiteral("MAILTO:Carla;anna;jan.smith;"));
  EXPECT_TRUE(messages.isEmpty());

  // Workstations mail their registered users; the one without a user adds nothing.
  ChooseKind(1);
  TypeAndEnter(QStringLiteral("Lab"));
  window->ToolButton6()->click();
  EXPECT_EQ(mailCommands.last(), QStringLiteral("MAILTO:anna;bert;"));
}

TEST_F(GuiWindow, MailTellsTheUserWhenTheCommandHadToBeCut) {
  OpenWindow(TestTreeIni());
  window->State().CurrentObjectName = "Big.acme";
  {
    core::TableUpdateGuard update(*window->memo1());
    // Names with blanks and accents: the limit holds for the command as the mail program gets it.
    for (int i = 0; i < 70; ++i) {
      core::MemberRow row;
      row.caption = "M\xC3\xBCller Anne " + std::to_string(i) + ".acme";
      window->memo1()->AddRow(row);
    }
  }
  window->ToolButton6()->click();
  ASSERT_EQ(mailCommands.size(), 1);
  const QByteArray handedOver = MailUrl(mailCommands.last()).toEncoded();
  EXPECT_LE(handedOver.size(), 1000);
  EXPECT_EQ(handedOver.size(), mailCommands.last().size());
  EXPECT_EQ(QUrl::fromPercentEncoding(handedOver).section(QLatin1Char(';'), 0, 0),
            QStringLiteral("mailto:M\u00FCller Anne 0"));
  EXPECT_TRUE(mailCommands.last().endsWith(QLatin1Char(';')));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_FALSE(messages.first().isEmpty());
}

TEST_F(GuiWindow, AMemberThatCannotBeReadIsMarkedAndToldOnceAtTheEnd) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Broken"));
  // The member that does not exist is listed with the marker; the lookup goes on past it.
  EXPECT_EQ(Column(0), (QStringList{"anna.sales.acme", "bert.sales.acme", "zz-gone.acme"}));
  EXPECT_EQ(Column(1), (QStringList{"555-0101", "555-0102", "(unreadable)"}));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.first().startsWith(QStringLiteral(
      "1 member or value could not be read; its cell shows \"(unreadable)\". The first: "
      "Netware error -601 (0x")))
      << messages.first().toStdString();
  // The message names the member and where the tree file lists it.
  EXPECT_TRUE(messages.first().contains(QStringLiteral("\"zz-gone.acme\": no such object")));
  EXPECT_TRUE(messages.first().contains(QStringLiteral("window-tree.ldif:")))
      << messages.first().toStdString();
  EXPECT_EQ(window->PanelText(0), QStringLiteral("3"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(window->memo1()->updatesEnabled());
}

}  // namespace
}  // namespace vorlix::app::testing
