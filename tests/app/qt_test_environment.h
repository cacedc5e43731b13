#pragma once
// The QApplication that the window tests run in: offscreen, with a private runtime folder, and
// helpers to run the event loop until a condition holds.

#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>

class QWidget;

namespace vorlix::app::testing {

// Runs the event loop until `done` holds or `timeoutMs` passed; returns `done()`. The ceiling is
// generous: on a busy machine an event may take long to arrive, and a wait that ends early
// costs nothing.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 120000);

// Runs `action` on the first modal widget that shows up (a dialog opened with exec()).
void OnNextModal(const std::function<void(QWidget* modal)>& action);

// A folder under the test's temporary root, created on first use.
QString TempPath(const QString& name);

}  // namespace vorlix::app::testing

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{';
  for (qsizetype i = 0; i < texts.size(); ++i) {
    if (i > 0) *out << ", ";
    PrintTo(texts[i], out);
  }
  *out << '}';
}
