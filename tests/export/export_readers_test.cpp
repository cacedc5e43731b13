// Files of the text exporter read back by independent readers: gnumeric's ssconvert and
// Python's csv module. Skipped when a reader is not installed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "export/morvat3_ascii.h"
#include "export_fixtures.h"
#include "run_command.h"
#include "support/csv_table.h"

namespace vorlix::exporter {
namespace {

namespace fs = std::filesystem;
using Table = std::vector<std::vector<std::string>>;

// Output of a shell command, nullopt when it fails.
std::optional<std::string> Shell(const std::string& command) {
  testing::CommandResult result = testing::RunCommand(command);
  if (result.exitCode != 0) return std::nullopt;
  return std::move(result.output);
}

bool Have(const std::string& program) {
  return Shell("command -v " + program + " >/dev/null 2>&1").has_value();
}

using vorlix::testing::ParseCsv;

Table Trimmed(Table table) {
  for (auto& row : table) {
    while (!row.empty() && row.back().empty()) row.pop_back();
    for (std::string& cell : row) {
      if (cell.size() == 19 && cell[4] == '/' && cell[7] == '/' && cell.ends_with(":00")) {
        cell[4] = cell[7] = '-';
        cell.resize(16);
      }
    }
  }
  return table;
}

class ExportReaders : public testing::ListExportTest {
 protected:
  fs::path dir_;

  void SetUp() override {
    testing::ListExportTest::SetUp();
    dir_ = fs::temp_directory_path() / ("vorlix-export-readers-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    // The member table in workstation mode: five full cells a row, some empty.
    testing::AddMemberColumns(list_, {"Workstation", "User", "Last login", "IP-address", "Phone"});
    testing::AddMemberRow(list_, "ws01.pcs.acme", "anna.sales.acme", "2026-12-01 08:00",
                          "[10.0.0.1]", "555-0101");
    testing::AddMemberRow(list_, "ws02.pcs.acme", "", "", "", "");
    testing::AddMemberRow(list_, "jan\\.smith.sales.acme", "x;y", "", "a,b", "+49 (30) 1234");
  }
  void TearDown() override { fs::remove_all(dir_); }

  Table Expected() const {
    Table table{{"Workstation", "User", "Last login", "IP-address", "Phone"}};
    for (int i = 0; i < list_.ItemCount(); ++i) {
      std::vector<std::string> row{list_.ItemCaption(i)};
      for (int k = 0; k < 4; ++k) row.push_back(list_.SubItem(i, k));
      table.push_back(row);
    }
    return table;
  }
  fs::path Export(TMorvatASCIIType type, const std::string& name) {
    exporter_.SetExportType(type);
    exporter_.FileName = (dir_ / name).string();
    exporter_.Execute();
    return exporter_.FileName;
  }
  std::optional<Table> Gnumeric(const fs::path& file, const std::string& importer) {
    fs::path out = dir_ / (file.filename().string() + ".out.csv");
    std::string command = "ssconvert " + (importer.empty() ? "" : "-I " + importer + " ") +
                          "-T Gnumeric_stf:stf_csv '" + file.string() + "' '" + out.string() +
                          "' 2>&1";
    if (!Shell(command)) return std::nullopt;
    std::ifstream in(out, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return ParseCsv(text.str());
  }
};

TEST_F(ExportReaders, CsvReadsBackWithTheSameCells) {
  exporter_.CSVComma = ',';
  list_.ItemAt(1).subItems[0] = "say \"hi\"";
  fs::path commaFile = Export(etCSV, "members.csv");
  if (!Have("ssconvert")) GTEST_SKIP() << "ssconvert not installed";
  std::optional<Table> read = Gnumeric(commaFile, "Gnumeric_stf:stf_csvtab");
  ASSERT_TRUE(read);
  EXPECT_EQ(Trimmed(*read), Trimmed(Expected()));

  // The window's separator ";" (gnumeric guesses only "," and tab): Python's strict reader.
  exporter_.CSVComma = ';';
  fs::path semicolonFile = Export(etCSV, "members-semicolon.csv");
  if (!Have("/usr/bin/python3")) GTEST_SKIP() << "python3 not installed";
  std::optional<std::string> out = Shell(
      "/usr/bin/python3 -c \"import csv,sys; "
      "w=csv.writer(sys.stdout, lineterminator='\\n'); "
      "[w.writerow(r) for r in csv.reader(open(sys.argv[1], newline=''), delimiter=';', "
      "strict=True)]\" '" +
      semicolonFile.string() + "'");
  ASSERT_TRUE(out);
  EXPECT_EQ(ParseCsv(*out), Expected());
}

TEST_F(ExportReaders, SylkReadsBackWithTheSameCells) {
  list_.ItemAt(1).subItems[0] = "say \"hi\";ok";
  fs::path file = Export(etSYLK, "members.slk");
  if (!Have("ssconvert")) GTEST_SKIP() << "ssconvert not installed";
  std::optional<Table> read = Gnumeric(file, "Gnumeric_sylk:sylk");
  ASSERT_TRUE(read);
  EXPECT_EQ(Trimmed(*read), Trimmed(Expected()));
}

TEST_F(ExportReaders, DifReadsBackWithTheSameCells) {
  fs::path file = Export(etDIF, "members.dif");
  if (!Have("ssconvert")) GTEST_SKIP() << "ssconvert not installed";
  std::optional<Table> read = Gnumeric(file, "Gnumeric_dif:dif");
  ASSERT_TRUE(read);
  EXPECT_EQ(Trimmed(*read), Trimmed(Expected()));

  // A doubled quotation mark keeps the string whole: the cells after it stay in place.
  // (gnumeric leaves the mark doubled; readers that follow the format undo it.)
  list_.ItemAt(0).subItems[0] = "say \"hi\"";
  read = Gnumeric(Export(etDIF, "quoted.dif"), "Gnumeric_dif:dif");
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), 4u);
  EXPECT_NE((*read)[1][1].find("hi"), std::string::npos);
  EXPECT_EQ((*read)[1][4], "555-0101");
  EXPECT_EQ(Trimmed(*read)[2], Trimmed(Expected())[2]);
}

TEST_F(ExportReaders, LineBreaksAndTabsKeepSylkAndDifRowsWhole) {
  // Values read from a directory may hold line breaks and TABs; each break becomes a blank,
  // a TAB stays.
  list_.ItemAt(0).subItems[0] = "anna\r\nsales";
  list_.ItemAt(1).subItems[0] = "two\nlines\rthree";
  list_.ItemAt(2).subItems[3] = "tab\there";
  Table expected = Expected();
  expected[1][1] = "anna sales";
  expected[2][1] = "two lines three";
  if (!Have("ssconvert")) GTEST_SKIP() << "ssconvert not installed";
  for (const auto& [type, name, importer] : {std::tuple{etSYLK, "breaks.slk", "Gnumeric_sylk:sylk"},
                                             std::tuple{etDIF, "breaks.dif", "Gnumeric_dif:dif"}}) {
    SCOPED_TRACE(name);
    std::optional<Table> read = Gnumeric(Export(type, name), importer);
    ASSERT_TRUE(read);
    EXPECT_EQ(Trimmed(*read), Trimmed(expected));
  }
}

}  // namespace
}  // namespace vorlix::exporter
