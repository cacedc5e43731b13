// Runs the real program window, looks a name up as a user would (kind, typed text, Enter) and
// saves a picture of the window once the table is filled:
//   vorlix_screenshot [--kind 0|1] [--name TEXT] [--wait MS] [--help-over CONTROL] FILE
// With --help-over the pointer then rests on the named control and F1 is pressed; the picture is
// taken from the screen, so that it holds the help pop-up over the window.
// Under a virtual X server: xvfb-run -s '-screen 0 1024x600x24' build/vorlix_screenshot FILE

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vorlix"));
  QCommandLineParser parser;
  parser.addOption({QStringLiteral("kind"), QStringLiteral("Kind index."), QStringLiteral("K"),
                    QStringLiteral("1")});
  parser.addOption({QStringLiteral("name"), QStringLiteral("Text to look up."),
                    QStringLiteral("TEXT"), QStringLiteral("Office W")});
  parser.addOption({QStringLiteral("wait"), QStringLiteral("Milliseconds after the lookup."),
                    QStringLiteral("MS"), QStringLiteral("3000")});
  parser.addOption({QStringLiteral("help-over"),
                    QStringLiteral("Press F1 with the pointer over this control."),
                    QStringLiteral("CONTROL")});
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("PNG file to write."));
  parser.process(application);
  if (parser.positionalArguments().size() != 1) parser.showHelp(64);
  const QString output = parser.positionalArguments().first();

  vorlix::app::TForm1 form1;
  form1.show();
  int result = 1;
  // After the start-up step (one second): choose the kind, type the name, press Enter.
  QTimer::singleShot(vorlix::app::TForm1::kStartInterval + 500, &form1, [&] {
    form1.cb1()->setCurrentIndex(parser.value(QStringLiteral("kind")).toInt());
    QTest::keyClicks(form1.edit1(), parser.value(QStringLiteral("name")));
    QTest::keyClick(form1.edit1(), Qt::Key_Return);
    QTimer::singleShot(parser.value(QStringLiteral("wait")).toInt(), &form1, [&] {
      if (form1.memo1()->topLevelItemCount() == 0) {
        std::fprintf(stderr, "the lookup filled no rows\n");
        QApplication::quit();
        return;
      }
      const QString control = parser.value(QStringLiteral("help-over"));
      if (control.isEmpty()) {
        if (form1.grab().save(output, "PNG")) result = 0;
        QApplication::quit();
        return;
      }
      auto* target = form1.findChild<QWidget*>(control);
      if (target == nullptr) {
        std::fprintf(stderr, "no control named %s\n", qPrintable(control));
        QApplication::quit();
        return;
      }
      QCursor::setPos(target->mapToGlobal(target->rect().center()));
      QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form1,
                      Qt::Key_F1);
      QTimer::singleShot(1000, &form1, [&] {
        const QRect area = form1.frameGeometry();
        const QPixmap screen =
            form1.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (screen.save(output, "PNG")) result = 0;
        QApplication::quit();
      });
    });
  });
  QApplication::exec();
  return result;
}
