#include "qt_test_environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace vorlix::app::testing {

namespace {

// The folder the tests write into: a fresh temporary one, or VORLIX_TEST_KEEP_DIR when set (to
// look at the written files afterwards).
QString TempRoot() {
  static QTemporaryDir temporary;
  static const QString kept = qEnvironmentVariable("VORLIX_TEST_KEEP_DIR");
  return kept.isEmpty() ? temporary.path() : kept;
}

// Creates the application before the first test and removes it after the last.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString runtime = TempPath(QStringLiteral("runtime"));
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationName(QStringLiteral("vorlix"));
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "vorlix-tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

void OnNextModal(const std::function<void(QWidget* modal)>& action) {
  auto* poll = new QTimer();
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    action(modal);
  });
  poll->start();
}

QString TempPath(const QString& name) {
  const QString path = TempRoot() + QLatin1Char('/') + name;
  QDir().mkpath(path);
  return path;
}

}  // namespace vorlix::app::testing
