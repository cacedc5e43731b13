// A lookup through the main window on a generated tree: the directory reads and the filling of
// the Qt member table, for groups of 1,000, 10,000 and 100,000 members.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "app/main_window.h"

namespace {

// A tree with one group of `members` users, each with a phone.
std::string WriteTree(const QString& folder, int members) {
  const std::string path = (folder + QStringLiteral("/tree-%1.ldif").arg(members)).toStdString();
  std::ofstream out(path);
  out << "version: 1\n\ndn:\ndirectoryTreeName: BENCH_TREE\n\n"
      << "dn: o=bench\nobjectClass: organization\no: bench\n\n";
  for (int i = 0; i < members; ++i) {
    out << "dn: cn=user" << i << ",o=bench\nobjectClass: inetOrgPerson\ncn: user" << i
        << "\nsn: User\ntelephoneNumber: 555-" << i << "\n\n";
  }
  out << "dn: cn=Everyone,o=bench\nobjectClass: groupOfNames\ncn: Everyone\n"
      << "description: All generated users\n";
  for (int i = members - 1; i >= 0; --i) out << "member: cn=user" << i << ",o=bench\n";
  return path;
}

QApplication& Application() {
  static int argc = 1;
  static char name[] = "vorlix-bench";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *application;
}

void BM_LookupFillsTheTable(benchmark::State& state) {
  Application();
  QTemporaryDir folder;
  const int members = static_cast<int>(state.range(0));
  const std::string tree = WriteTree(folder.path(), members);
  const QString ini = folder.filePath(QStringLiteral("vorlix.ini"));
  {
    std::ofstream out(ini.toStdString());
    out << "[DIRECTORY]\nsource=" << tree << "\n";
  }
  vorlix::app::WindowOptions options;
  options.configurationPath = ini.toStdString();
  QString message;
  options.seams.showMessage = [&message](QWidget*, const QString& text) { message = text; };
  vorlix::app::TForm1 window(std::move(options));
  window.show();
  window.startTimer();
  window.edit1()->setText(QStringLiteral("Everyone"));
  for (auto _ : state) {
    window.ToolButton4Click();
    QApplication::processEvents();
    if (!message.isEmpty()) state.SkipWithError(message.toStdString().c_str());
    if (window.memo1()->ShownRowCount() != members) state.SkipWithError("table not filled");
  }
  state.SetComplexityN(members);
  state.SetItemsProcessed(state.iterations() * members);
}
BENCHMARK(BM_LookupFillsTheTable)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
