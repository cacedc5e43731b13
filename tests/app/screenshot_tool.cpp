// Runs the real program window, looks a name up as a user would (kind, typed text, Enter) and
// saves a picture of the window once the table is filled:
//   vorlix_screenshot [--kind 0|1] [--name TEXT] [--wait MS] [--help-over CONTROL]
//                     [--progress MEMBERS] FILE
// With --help-over the pointer then rests on the named control and F1 is pressed; the picture is
// taken from the screen, so that it holds the help pop-up over the window.
// With --progress the window reads a generated tree whose group "All Staff" has MEMBERS members,
// looks that group up, and the picture is taken while the status bar counts, once a third of the
// members are read. (Under X, Qt takes --name for itself: the tool cannot be given the name.)
// Under a virtual X server: xvfb-run -s '-screen 0 1024x600x24' build/vorlix_screenshot FILE

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace {

// A tree of the sample's organisation with one big group, "All Staff", for the progress picture.
// Returns the configuration file that points the window at it.
QString WriteProgressTree(const QString& folder, int members) {
  static const char* const kFirst[] = {"Anna",  "Bert",   "Carla", "Dirk",   "Eva",   "Femke",
                                       "Gert",  "Hanna",  "Ilse",  "Jan",    "Karin", "Lars",
                                       "Marit", "Nils",   "Olga",  "Pieter", "Rosa",  "Sven",
                                       "Tessa", "Ulrike", "Vera",  "Wim",    "Yara",  "Zeno"};
  static const char* const kMiddle[] = {
      "Maria", "Johan", "Sofie", "Pieter", "Lotte", "Willem", "Emma",  "Hendrik", "Julia",
      "Kees",  "Noor",  "Bram",  "Fenna",  "Thijs", "Sara",   "Ruben", "Lieke",   "Daan",
      "Mila",  "Joris", "Iris",  "Koen",   "Roos",  "Teun",   "Floor", "Gijs"};
  static const char* const kLast[] = {"Akkerman", "Berg",   "Claes",    "Dekker",   "Evers",
                                      "Fokker",   "Groen",  "Hendriks", "Jansen",   "Kok",
                                      "Lindeman", "Mulder", "Nauta",    "Oosting",  "Prins",
                                      "Quist",    "Roos",   "Smit",     "Terpstra", "Visser"};
  static const char* const kUnits[] = {"sales",   "depot",   "office", "finance",  "fleet",
                                       "harbour", "customs", "it",     "planning", "quay"};
  const QString tree = folder + QStringLiteral("/all-staff.ldif");
  std::ofstream out(tree.toStdString());
  out << "version: 1\n\ndn:\ndirectoryTreeName: HARBOURLINE_TREE\n\n"
      << "dn: o=harbourline\nobjectClass: organization\no: harbourline\n\n";
  for (const char* unit : kUnits) {
    out << "dn: ou=" << unit << ",o=harbourline\nobjectClass: organizationalUnit\nou: " << unit
        << "\n\n";
  }
  // First, middle and last name, in each unit: 124,800 different people.
  std::vector<std::string> names;
  for (int i = 0; i < members; ++i) {
    size_t rest = static_cast<size_t>(i);
    const char* first = kFirst[rest % std::size(kFirst)];
    rest /= std::size(kFirst);
    const char* middle = kMiddle[rest % std::size(kMiddle)];
    rest /= std::size(kMiddle);
    const char* last = kLast[rest % std::size(kLast)];
    rest /= std::size(kLast);
    const char* unit = kUnits[rest % std::size(kUnits)];
    const std::string cn = std::string(first) + " " + middle + " " + last;
    const std::string dn = "cn=" + cn + ",ou=" + unit + ",o=harbourline";
    out << "dn: " << dn << "\nobjectClass: inetOrgPerson\ncn: " << cn << "\nsn: " << last
        << "\ntelephoneNumber: +31 10 555 " << 1000 + i % 9000 << "\n\n";
    names.push_back(dn);
  }
  out << "dn: cn=All Staff,ou=office,o=harbourline\nobjectClass: groupOfNames\ncn: All Staff\n"
      << "description: Everyone on the payroll\n";
  for (const std::string& dn : names) out << "member: " << dn << "\n";
  const QString ini = folder + QStringLiteral("/vorlix.ini");
  std::ofstream(ini.toStdString()) << "[DIRECTORY]\nsource=" << tree.toStdString() << "\n";
  return ini;
}

}  // namespace

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
  parser.addOption({QStringLiteral("progress"),
                    QStringLiteral("Picture a lookup of this many members while it runs."),
                    QStringLiteral("MEMBERS")});
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("PNG file to write."));
  parser.process(application);
  if (parser.positionalArguments().size() != 1) parser.showHelp(64);
  const QString output = parser.positionalArguments().first();

  const int progressMembers = parser.value(QStringLiteral("progress")).toInt();
  QTemporaryDir folder;
  vorlix::app::WindowOptions options;
  if (progressMembers > 0) {
    options.configurationPath = WriteProgressTree(folder.path(), progressMembers).toStdString();
    options.seams.showMessage = [](QWidget*, const QString& text) {
      std::fprintf(stderr, "%s\n", qPrintable(text));
    };
  }
  vorlix::app::TForm1 form1(std::move(options));
  form1.show();
  int result = 1;
  // After the start-up step (one second): choose the kind, type the name, press Enter.
  QTimer::singleShot(vorlix::app::TForm1::kStartInterval + 500, &form1, [&] {
    if (progressMembers > 0) {
      form1.cb1()->setCurrentIndex(0);
      QTest::keyClicks(form1.edit1(), QStringLiteral("All Staff"));
      // The lookup runs inside the Enter key and lets events in at each refresh; at the first
      // one past a third of the members the picture is taken and the lookup cancelled.
      auto* poll = new QTimer(&form1);
      QObject::connect(poll, &QTimer::timeout, &form1, [&, poll] {
        if (!form1.Busy()) {
          std::fprintf(stderr, "the lookup ended before the picture: give more members\n");
        } else if (form1.PanelText(0).toInt() < progressMembers / 3) {
          return;
        } else if (form1.grab().save(output, "PNG")) {
          result = 0;
        }
        poll->stop();
        QTest::keyClick(form1.edit1(), Qt::Key_Escape);
        QApplication::quit();
      });
      poll->start(0);
      QTest::keyClick(form1.edit1(), Qt::Key_Return);
      return;
    }
    form1.cb1()->setCurrentIndex(parser.value(QStringLiteral("kind")).toInt());
    QTest::keyClicks(form1.edit1(), parser.value(QStringLiteral("name")));
    QTest::keyClick(form1.edit1(), Qt::Key_Return);
    QTimer::singleShot(parser.value(QStringLiteral("wait")).toInt(), &form1, [&] {
      if (form1.memo1()->ShownRowCount() == 0) {
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
