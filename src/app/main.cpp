// The program entry: the application titled "vorlix", the main window, the event loop.

#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vorlix"));
  QApplication::setApplicationDisplayName(QStringLiteral("vorlix"));
  vorlix::app::TForm1 form1;
  form1.show();
  return QApplication::exec();
}
