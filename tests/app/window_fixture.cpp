#include "window_fixture.h"

#include <QFile>
#include <QTest>

#include "qt_test_environment.h"

namespace vorlix::app::testing {

void WindowTest::SetUp() {
  qputenv("TZ", "UTC");
}

void WindowTest::TearDown() {
  window.reset();
}

QString WindowTest::TestTreeIni() {
  return QStringLiteral("[DIRECTORY]\nsource=%1/app/window-tree.ldif\n")
      .arg(QStringLiteral(VORLIX_TEST_DATA_DIR));
}

void WindowTest::OpenWindow(const QString& iniText, bool runStartup) {
  const QString ini = TempPath(QStringLiteral("config")) + QStringLiteral("/vorlix.ini");
  QFile file(ini);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(iniText.toUtf8());
  file.close();

  WindowOptions options;
  options.configurationPath = ini.toStdString();
  options.client = std::move(client);
  options.seams.showMessage = [this](QWidget*, const QString& text) { messages << text; };
  options.seams.openMail = [this](const QString& command) { mailCommands << command; };
  options.seams.askSaveFileName = [this](QWidget*, const SaveFileRequest& request) {
    saveDialogs << request.title;
    lastRequest = request;
    return saveAnswer;
  };
  options.seams.askPassword = [this](QWidget*, const QString& prompt) {
    passwordPrompts << prompt;
    return passwordAnswer;
  };
  options.seams.clock = clock;
  window = std::make_unique<TForm1>(std::move(options));
  window->show();
  EXPECT_TRUE(WaitUntil([this] { return window->isVisible(); }));
  if (runStartup) window->startTimer();
}

void WindowTest::TypeAndEnter(const QString& text) {
  window->edit1()->clear();
  QTest::keyClicks(window->edit1(), text);
  QTest::keyClick(window->edit1(), Qt::Key_Return);
}

void WindowTest::ChooseKind(int kind) {
  window->cb1()->setCurrentIndex(kind);
}

QStringList WindowTest::Column(int column) const {
  QStringList texts;
  for (int i = 0; i < window->memo1()->ShownRowCount(); ++i)
    texts << Cell(i, column).data().toString();
  return texts;
}

QModelIndex WindowTest::Cell(int row, int column) const {
  return window->memo1()->model()->index(row, column);
}

}  // namespace vorlix::app::testing
