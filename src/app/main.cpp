// The program entry: the application titled "vorlix", the main window, the event loop.

#include <QApplication>

#include "app/main_window.h"
#include "platform/signal_cleanup.h"
#include "platform/standard_streams.h"

int main(int argc, char* argv[]) {
  // First of all: a closed standard stream must not lend its number to a file or a connection.
  vorlix::platform::SecureStandardStreams();
  vorlix::platform::InstallSignalCleanup(vorlix::platform::BrokenPipe::kFailsTheWrite);
  QApplication application(argc, argv);
  // Only the name: a display name would be appended to every window caption on some platforms
  // (the file dialog would read "Select/give filename — vorlix"). Message boxes carry their title.
  QApplication::setApplicationName(QStringLiteral("vorlix"));
  vorlix::app::TForm1 form1;
  form1.show();
  return QApplication::exec();
}
