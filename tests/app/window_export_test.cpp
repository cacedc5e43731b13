// Save to CSV, Save to Excel and Print through the window, with a stubbed file dialog; the
// written files are read back by independent readers.

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "qt_test_environment.h"
#include "window_fixture.h"

namespace vorlix::app::testing {
namespace {

using GuiExport = WindowTest;

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a program and returns its exit code; its standard output lands in `output`.
int RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) return -1;
  if (output != nullptr) *output = process.readAll();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString FreshFile(const QString& name) {
  const QString path = TempPath(QStringLiteral("exports")) + QLatin1Char('/') + name;
  QFile::remove(path);
  return path;
}

TEST(GuiDesktopSeams, TheMessageBoxIsTitledVorlixAndTheSaveDialogConfirmsOverwriting) {
  const WindowSeams desktop = DesktopSeams();
  QString title;
  QString text;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  desktop.showMessage(nullptr, QStringLiteral("Netware error -601 (0xFFFFFDA7)"));
  EXPECT_EQ(title, QStringLiteral("vorlix"));
  EXPECT_EQ(text, QStringLiteral("Netware error -601 (0xFFFFFDA7)"));

  SaveFileRequest request{QStringLiteral("Select/give filename"), QStringLiteral("PDF (*.pdf)"),
                          QStringLiteral("pdf"), QStringLiteral("Sales")};
  bool seen = false;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    seen = true;
    EXPECT_EQ(dialog->windowTitle(), request.title);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->nameFilters(), QStringList{request.filter});
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("pdf"));
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog->selectedFiles().value(0).endsWith(QStringLiteral("/Sales.pdf")))
        << dialog->selectedFiles().value(0).toStdString();
    dialog->reject();
  });
  EXPECT_EQ(desktop.askSaveFileName(nullptr, request), QString());  // cancelled
  EXPECT_TRUE(seen);

  // Two filters: the first is the default; choosing the second makes a name typed without a
  // suffix take its suffix.
  request.filter = QStringLiteral("Excel (*.xls);;Excel workbook (*.xlsx)");
  request.defaultSuffix = QStringLiteral("xls");
  const QString folder = TempPath(QStringLiteral("dialog"));
  request.defaultFileName = folder + QStringLiteral("/Sales");
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Excel (*.xls)"),
                                                  QStringLiteral("Excel workbook (*.xlsx)")}));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Excel (*.xls)"));
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);  // as the user picks the second entry
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Excel workbook (*.xlsx)"));
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("xlsx"));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("Sales"));
    QTest::keyClick(name, Qt::Key_Return);
  });
  EXPECT_EQ(desktop.askSaveFileName(nullptr, request), folder + QStringLiteral("/Sales.xlsx"));
}

TEST_F(GuiExport, AnEmptyTableShowsNoDialogAndACancelWritesNothing) {
  OpenWindow(TestTreeIni());
  window->ToolButton10()->click();
  window->ToolButton9()->click();
  window->ToolButton2Click();
  EXPECT_TRUE(saveDialogs.isEmpty());

  TypeAndEnter(QStringLiteral("Sales E"));
  saveAnswer.clear();  // the dialog is cancelled
  window->ToolButton10()->click();
  ASSERT_EQ(saveDialogs.size(), 1);
  EXPECT_EQ(lastRequest.title, QStringLiteral("Select/give filename"));
  EXPECT_EQ(lastRequest.filter, QStringLiteral("CSV (*.csv)"));
  EXPECT_EQ(lastRequest.defaultSuffix, QStringLiteral("csv"));
  EXPECT_EQ(lastRequest.defaultFileName, QStringLiteral("Sales E"));
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GuiExport, SaveToCsvWritesTheTableWithSemicolons) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Sales E"));
  saveAnswer = FreshFile(QStringLiteral("members.csv"));
  window->ToolButton10()->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_EQ(ReadFile(saveAnswer),
            QByteArray("\"User\";\"Phone\";\" \";\" \";\" \"\r\n"
                       "\"anna.sales.acme\";\"555-0101\";\"\";\"\";\"\"\r\n"
                       "\"bert.sales.acme\";\"555-0102\";\"\";\"\";\"\"\r\n"));
  // An edited name is what gets exported.
  window->memo1()->model()->setData(Cell(0, 0), QStringLiteral("anne.sales.acme"));
  window->ToolButton10()->click();
  EXPECT_TRUE(ReadFile(saveAnswer).contains("\"anne.sales.acme\";"));
}

TEST_F(GuiExport, AnExportOverTheTreeOrTheConfigurationInUseIsRefused) {
  const QString tree = FreshFile(QStringLiteral("tree-in-use.ldif"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(VORLIX_TEST_DATA_DIR "/app/window-tree.ldif"), tree));
  OpenWindow(QStringLiteral("[DIRECTORY]\nsource=%1\n").arg(tree));
  TypeAndEnter(QStringLiteral("Sales E"));
  const QByteArray treeBytes = ReadFile(tree);
  const QString config = TempPath(QStringLiteral("config")) + QStringLiteral("/vorlix.ini");
  const QByteArray configBytes = ReadFile(config);
  for (const QString& target : {tree, config}) {
    messages.clear();
    saveAnswer = target;
    window->ToolButton10()->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().startsWith(
        QStringLiteral("Cannot export to \"%1\": it is the ").arg(target)))
        << messages.first().toStdString();
  }
  EXPECT_EQ(ReadFile(tree), treeBytes);
  EXPECT_EQ(ReadFile(config), configBytes);
}

TEST_F(GuiExport, TheDefaultFileNameIsTheShortNameOfTheChosenObject) {
  OpenWindow(TestTreeIni());
  OnNextModal([&](QWidget*) {
    QTreeWidget* list = window->Form2()->ListView1();
    list->setCurrentItem(list->topLevelItem(0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(list->topLevelItem(0)).center());
  });
  TypeAndEnter(QStringLiteral("Sales"));
  ASSERT_TRUE(window->edit1()->text().endsWith(QStringLiteral(".sales.acme")));
  window->ToolButton9()->click();
  EXPECT_EQ(lastRequest.defaultFileName, window->edit1()->text().section('.', 0, 0));
  // The .xls workbook stays first and the default; the .xlsx workbook is offered second.
  EXPECT_EQ(lastRequest.filter, QStringLiteral("Excel (*.xls);;Excel workbook (*.xlsx)"));
  EXPECT_EQ(lastRequest.defaultSuffix, QStringLiteral("xls"));
}

TEST_F(GuiExport, SaveToExcelWritesAWorkbookThatTwoReadersAccept) {
  OpenWindow(TestTreeIni());
  ChooseKind(1);
  TypeAndEnter(QStringLiteral("Lab"));
  saveAnswer = FreshFile(QStringLiteral("Lab.xls"));
  window->ToolButton9()->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

  QByteArray cells;
  ASSERT_EQ(RunTool(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"),
                     QStringLiteral("import sys, xlrd\n"
                                    "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                    "for r in range(s.nrows):\n"
                                    "  print('|'.join(str(v) for v in s.row_values(r)))\n"),
                     saveAnswer},
                    &cells),
            0)
      << cells.toStdString();
  const QList<QByteArray> rows = cells.trimmed().split('\n');
  ASSERT_EQ(rows.size(), 4) << cells.toStdString();
  EXPECT_TRUE(rows[0].startsWith("Workstation|User|Last login|IP-address|Phone"));
  EXPECT_TRUE(rows[1].startsWith("ws1.acme|anna.sales.acme|"));
  EXPECT_TRUE(rows[1].contains("|10.1.2.3|555-0101"));
  EXPECT_TRUE(rows[3].startsWith("ws3.acme||"));

  const QString converted = FreshFile(QStringLiteral("Lab-from-xls.csv"));
  QByteArray log;
  ASSERT_EQ(RunTool(QStringLiteral("ssconvert"), {saveAnswer, converted}, &log), 0)
      << log.toStdString();
  const QByteArray csv = ReadFile(converted);
  EXPECT_TRUE(csv.contains("ws2.acme,bert.sales.acme,")) << csv.toStdString();
  EXPECT_TRUE(csv.contains("10.1.2.4,555-0102")) << csv.toStdString();
}

TEST_F(GuiExport, SaveToExcelAsXlsxWritesTheCellsOfTheCsvExport) {
  OpenWindow(TestTreeIni());
  ChooseKind(1);
  TypeAndEnter(QStringLiteral("Lab"));
  saveAnswer = FreshFile(QStringLiteral("Lab.csv"));
  window->ToolButton10()->click();
  const QString csv = saveAnswer;
  saveAnswer = FreshFile(QStringLiteral("Lab.XLSX"));  // the suffix in any case
  window->ToolButton9()->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_TRUE(ReadFile(saveAnswer).startsWith("PK\x03\x04"));
  QByteArray log;
  EXPECT_EQ(RunTool(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(VORLIX_SOURCE_DIR "/tests/export/xlsx/xlsx_readers.py"),
                     QStringLiteral("csv"), saveAnswer, csv},
                    &log),
            0)
      << log.toStdString();
}

TEST_F(GuiExport, PrintWritesAPdfThatQpdfAccepts) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Sales E"));
  saveAnswer = FreshFile(QStringLiteral("Sales.pdf"));
  window->ToolButton2Click();  // its button is hidden
  EXPECT_EQ(lastRequest.filter, QStringLiteral("PDF (*.pdf)"));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  QByteArray log;
  EXPECT_EQ(RunTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), saveAnswer}, &log), 0)
      << log.toStdString();
  QByteArray text;
  ASSERT_EQ(RunTool(QStringLiteral("pdftotext"), {saveAnswer, QStringLiteral("-")}, &text), 0);
  EXPECT_TRUE(text.contains("bert.sales.acme")) << text.toStdString();
  EXPECT_TRUE(text.contains("555-0101")) << text.toStdString();
  // The window's settings reach the file: margins 1.17, 0.58, 0.78 and 0.78 inches on A4, hair
  // lines, and memo1's column widths (27, 21, 16, 11 and 13 characters) as the grid's width.
  const QByteArray pdf = ReadFile(saveAnswer);
  EXPECT_TRUE(pdf.contains("/MediaBox [0 0 594 841]\r/TrimBox [84 56 552 785]\r"));
  EXPECT_TRUE(pdf.contains("84.0 785.0 m \r582.0 785.0 l \r0.0 w \rS\r"));
}

TEST_F(GuiExport, AnExportErrorIsShownInAMessageBox) {
  OpenWindow(TestTreeIni());
  TypeAndEnter(QStringLiteral("Sales E"));
  const QString blocker = FreshFile(QStringLiteral("plain-file"));
  QFile file(blocker);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  saveAnswer = blocker + QStringLiteral("/inside/members.csv");  // a file cannot hold a folder
  window->ToolButton10()->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.first().contains(blocker)) << messages.first().toStdString();
}

}  // namespace
}  // namespace vorlix::app::testing
