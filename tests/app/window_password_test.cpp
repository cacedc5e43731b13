// The window against an LDAP server bound with a name: the password is asked for in a masked
// dialog (stubbed here) and never read from the configuration.

#include <QInputDialog>
#include <QLineEdit>

#include "../directory/ldap_test_servers.h"
#include "window_fixture.h"

namespace vorlix::app::testing {
namespace {

using vorlix::testing::TestServers;

class WindowPasswordTest : public WindowTest {
 protected:
  QString BoundIni() const {
    const auto servers = TestServers();
    return QStringLiteral("[DIRECTORY]\nsource=%1/o=harbourline\nbinddn=%2\n")
        .arg(QString::fromStdString(servers.ldapUrl), QString::fromStdString(servers.adminDn));
  }
};

TEST_F(WindowPasswordTest, TheAnswerOfTheDialogBindsAndTheLookupRuns) {
  passwordAnswer = QString::fromStdString(TestServers().adminPassword);
  OpenWindow(BoundIni());
  ASSERT_EQ(passwordPrompts.size(), 1);
  EXPECT_EQ(passwordPrompts[0], QStringLiteral("Password for %1 at %2/o=harbourline:")
                                    .arg(QString::fromStdString(TestServers().adminDn),
                                         QString::fromStdString(TestServers().ldapUrl)));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("HARBOURLINE_TREE")));
  TypeAndEnter(QStringLiteral("Finance"));
  EXPECT_EQ(
      Column(0),
      (QStringList{"ilse\\.meijer.office.harbourline", "joris\\.kok.office.harbourline",
                   "karin\\.peters.office.harbourline", "lars\\.hendriks.office.harbourline"}));
}

TEST_F(WindowPasswordTest, AWrongOrCancelledPasswordIsToldAndTheWindowCloses) {
  passwordAnswer = QStringLiteral("wrong");
  OpenWindow(BoundIni());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(
      messages[0].startsWith(QStringLiteral("Novell Client not installed?\nNetware error -669")))
      << messages[0].toStdString();
  EXPECT_FALSE(window->isVisible());

  messages.clear();
  passwordAnswer.reset();
  OpenWindow(BoundIni());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("no password was given")))
      << messages[0].toStdString();
}

TEST_F(WindowPasswordTest, AnonymousServersAndTreeFilesAskNothing) {
  OpenWindow(QStringLiteral("[DIRECTORY]\nsource=%1/o=harbourline\n")
                 .arg(QString::fromStdString(TestServers().ldapUrl)));
  EXPECT_TRUE(passwordPrompts.isEmpty());
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  OpenWindow(TestTreeIni());
  EXPECT_TRUE(passwordPrompts.isEmpty());
}

TEST(WindowPasswordDialogTest, TheDialogMasksWhatIsTyped) {
  std::unique_ptr<QInputDialog> dialog(NewPasswordDialog(nullptr, QStringLiteral("Password:")));
  EXPECT_EQ(dialog->textEchoMode(), QLineEdit::Password);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("vorlix"));
  EXPECT_EQ(dialog->labelText(), QStringLiteral("Password:"));
}

}  // namespace
}  // namespace vorlix::app::testing
