// The .xlsx exporter's run: the window's table read back by openpyxl and ssconvert, its layout
// beside the .xls exporter's, typed cells, texts, streams and the replacing of files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "../export_fixtures.h"
#include "../xls/xls_test_support.h"
#include "app/core/exporter_settings.h"
#include "export/custom_source.h"
#include "export/xls/morvat3_xls.h"
#include "export/xlsx/morvat3_xlsx.h"
#include "platform/date_time.h"
#include "support/member_table.h"
#include "support/memory_sources.h"
#include "support/xlsx_sheet_reader.h"
#include "xlsx_test_support.h"

namespace vorlix::exporter::xlsx {
namespace {

using exporter::testing::FillMemberTable;
using exporter::testing::kWindowCaptions;
using exporter::testing::MemberTableCells;
using test::Facts;
using test::FolderEntries;
using test::ReadersDisagree;
using test::ReadText;
using test::Sheet;
using test::WriteText;
using xls::test::TempDir;

std::vector<double> Numbers(const std::string& joined) {
  std::vector<double> numbers;
  std::istringstream parts(joined);
  for (std::string part; std::getline(parts, part, '|');)
    numbers.push_back(std::atof(part.c_str()));
  return numbers;
}

TEST(XlsxExporter, TheWindowsTableReadsBackWithTheXlsLayout) {
  TempDir dir;
  MemoryListView list;
  FillMemberTable(list, 7);
  TMorvat3XLSX exporter;
  core::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  exporter.FileName = (dir / "members.xlsx").string();
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(exporter.FileName, MemberTableCells(list)), "");

  xls::TMorvat3XLS xls;
  core::ConfigureAsMainWindowXlsExporter(xls, &list);
  xls.FileName = (dir / "members.xls").string();
  xls.Execute();

  auto facts = Facts(exporter.FileName, xls.FileName);
  EXPECT_EQ(facts["error"], "");
  EXPECT_EQ(facts["sheets"], "Sheet 1");
  EXPECT_EQ(facts["row1_fonts"], "Arial 10 bold");
  EXPECT_EQ(facts["row2_fonts"], "Arial 10");
  EXPECT_EQ(facts["footer"], "Page &P of &N");
  EXPECT_EQ(facts["header"], "");
  EXPECT_EQ(facts["rows"], "8");
  // The same widths as the .xls file, to the pixel a spreadsheet shows (1/7 of a character).
  const std::vector<double> widths = Numbers(facts["widths"]);
  const std::vector<double> xlsWidths = Numbers(facts["xls_widths"]);
  ASSERT_EQ(widths.size(), 5u) << facts["widths"];
  ASSERT_EQ(xlsWidths.size(), 5u) << facts["xls_widths"];
  for (size_t i = 0; i < widths.size(); ++i) {
    EXPECT_NEAR(widths[i], xlsWidths[i], 1.0 / 7) << "column " << i + 1;
    EXPECT_GT(widths[i], 8.0);  // the list's widths, not the sheet's default
  }

  // An empty table is its caption row.
  MemoryListView empty;
  FillMemberTable(empty, 0);
  core::ConfigureAsMainWindowXlsxExporter(exporter, &empty);
  exporter.FileName = (dir / "empty.xlsx").string();
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {kWindowCaptions}), "");
}

TEST(XlsxExporter, TextsKeepEveryCharacter) {
  TempDir dir;
  MemoryListView list;
  list.AddColumn("Näme & <Co>", 100);
  list.AddColumn("Note", 100);
  list.AddItem("Zo\xC3\xAB \xE2\x82\xAC 5", {"a \"quoted\" 'text' & <tag>"});
  list.AddItem("caf\xE9 \x80", {"\xF0\x9F\x98\x80 outside the BMP"});  // Windows-1252 bytes
  list.AddItem(std::string(kMaxCellCharacters - 1, 'x') + "\xC3\xA9", {"last"});
  TMorvat3XLSX exporter;
  core::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  exporter.FileName = (dir / "texts.xlsx").string();
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(exporter.FileName,
                            {{"Näme & <Co>", "Note"},
                             {"Zo\xC3\xAB \xE2\x82\xAC 5", "a \"quoted\" 'text' & <tag>"},
                             {"caf\xC3\xA9 \xE2\x82\xAC", "\xF0\x9F\x98\x80 outside the BMP"},
                             {std::string(kMaxCellCharacters - 1, 'x') + "\xC3\xA9", "last"}}),
            "");

  // A literal "_xHHHH_" is stored protected, so that a spreadsheet shows it as it is.
  MemoryListView escapes;
  escapes.AddColumn("Code", 80);
  escapes.AddItem("_x0041_ and _x00_");
  exporter.ListView = &escapes;
  exporter.FileName = (dir / "escapes.xlsx").string();
  exporter.Execute();
  const auto xml = exporter::testing::RunCommand(
      "/usr/bin/python3 -c \"import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1])"
      ".read('xl/worksheets/sheet1.xml').decode())\" " +
      exporter.FileName);
  EXPECT_NE(xml.output.find(">_x005F_x0041_ and _x00_<"), std::string::npos) << xml.output;
}

TEST(XlsxExporter, TypedColumnsKeepTheirTypes) {
  TempDir dir;
  TmvCustomSource source;
  const TMorvatColType types[] = {ectInteger, ectFloat, ectDateTime, ectBoolean, ectString};
  for (TMorvatColType type : types) {
    TmvCustomColumn& column = source.AddColumn();
    column.ColumnType = type;
  }
  const std::string when =
      platform::FormatDateTime("ddddd hh:nn:ss", *platform::EncodeDateTime(2024, 10, 7, 6, 15));
  source.OnGetNextRecord = [](TmvCustomSource&, int recNo, bool& eof) { eof = recNo >= 2; };
  source.OnGetColumnValue = [&](TmvCustomSource&, int recNo, TmvCustomColumn& column,
                                TmvVariant& value) {
    const bool first = recNo == 1;
    switch (column.Index()) {
      case 0:
        value = first ? TmvVariant(int64_t{42}) : TmvVariant(std::string("n/a"));
        break;
      case 1:
        value = first ? 2.5 : -0.125;
        break;
      case 2:
        value = first ? when : std::string("not a date");
        break;
      case 3:
        value = first;
        break;
      default:
        value = first ? std::string("007") : std::string();
    }
  };
  TMorvat3XLSX exporter;
  exporter.ExportSource = esCustom;
  exporter.CustomSource = &source;
  exporter.FileName = (dir / "typed.xlsx").string();
  exporter.Execute();
  const auto values = test::Readers({"values", exporter.FileName});
  ASSERT_EQ(values.exitCode, 0) << values.output;
  EXPECT_EQ(values.output,
            "'Column0'\t'Column1'\t'Column2'\t'Column3'\t'Column4'\n"
            "42\t2.5\tdatetime.datetime(2024, 10, 7, 6, 15)\tTrue\t'007'\n"
            // A text that is no number or date stays as it is; an empty cell stays empty.
            "'n/a'\t-0.125\t'not a date'\tFalse\tNone\n");
}

// The spreadsheet counts a 29 February 1900: every moment before 1 March 1900 is one day lower
// in its serial numbers, and a moment before its first day stays text.
TEST(XlsxExporter, EarlyDatesGetTheSpreadsheetsSerials) {
  TempDir dir;
  const exporter::testing::PinnedLocale locale;  // years of four digits
  const std::vector<std::pair<std::string, std::string>> dates = {{"1900-01-01", "1"},
                                                                  {"1900-02-28", "59"},
                                                                  {"1900-02-28 12:00", "59.5"},
                                                                  {"1900-03-01", "61"},
                                                                  {"1900-03-01 06:00", "61.25"}};
  MemoryDataSet data;
  data.AddField("when", ftDateTime);
  for (const auto& [when, serial] : dates) data.AddRecord({when});
  data.SetActive(true);
  TMorvat3XLSX exporter;
  exporter.DataSet = &data;
  exporter.AllowCaptions = false;
  exporter.FileName = (dir / "early.xlsx").string();
  exporter.Execute();
  std::string error;
  const std::optional<vorlix::testing::XlsxCells> cells =
      vorlix::testing::ReadXlsxSheet(exporter.FileName, error);
  ASSERT_TRUE(cells) << error;
  ASSERT_EQ(cells->size(), dates.size());
  for (size_t i = 0; i < dates.size(); ++i) {
    EXPECT_EQ((*cells)[i], (std::vector<vorlix::testing::XlsxCell>{
                               {vorlix::testing::XlsxCell::kNumber, dates[i].second}}))
        << dates[i].first;
  }
}

TEST(XlsxExporter, ExportToStreamGivesTheSameWorkbook) {
  TempDir dir;
  TempDir temporaries;
  const char* previous = std::getenv("TMPDIR");
  const std::string saved = previous != nullptr ? previous : "";
  ::setenv("TMPDIR", temporaries.Path().c_str(), 1);
  MemoryListView list;
  FillMemberTable(list, 3);
  TMorvat3XLSX exporter;
  core::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  MorvatMemoryStream stream;
  exporter.ExportToStream(stream);
  if (previous != nullptr)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  ASSERT_EQ(stream.Data().substr(0, 4), std::string("PK\x03\x04", 4));
  WriteText(dir / "stream.xlsx", stream.Data());
  EXPECT_EQ(ReadersDisagree(dir / "stream.xlsx", MemberTableCells(list)), "");
  EXPECT_TRUE(FolderEntries(temporaries.Path()).empty());  // the temporary workbook is gone
}

TEST(XlsxExporter, AFileIsReplacedOnlyByACompleteWorkbook) {
  TempDir dir;
  MemoryListView list;
  FillMemberTable(list, 2);
  TMorvat3XLSX exporter;
  core::ConfigureAsMainWindowXlsxExporter(exporter, &list);
  const std::string target = (dir / "members.xlsx").string();
  exporter.FileName = target;

  // A file that another program holds locked is refused and keeps its bytes.
  WriteText(target, "old contents");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  const int holder = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  try {
    exporter.Execute();
    ADD_FAILURE() << "a locked file was written";
  } catch (const EMorvatError& e) {
    EXPECT_NE(std::string(e.what()).find("in use by another program"), std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
  }
  ::close(holder);
  EXPECT_EQ(ReadText(target), "old contents");

  // A run that fails part-way (a sheet title the format refuses) leaves it as well.
  exporter.Options.SheetTitle = "Members/2024";
  EXPECT_THROW(exporter.Execute(), EMorvatError);
  EXPECT_EQ(ReadText(target), "old contents");
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"members.xlsx"});

  // A complete run replaces it and keeps its permission bits.
  exporter.Options.SheetTitle = "Sheet 1";
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(target, MemberTableCells(list)), "");
  struct stat status {};
  ASSERT_EQ(::stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"members.xlsx"});
}

}  // namespace
}  // namespace vorlix::exporter::xlsx
