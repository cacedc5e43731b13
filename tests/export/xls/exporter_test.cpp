// The spreadsheet exporter's run: files read back by independent readers, the temporary
// sheet, events, messages and limits.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/exporter_settings.h"
#include "export/morvat_messages.h"
#include "export/xls/morvat3_xls.h"
#include "support/member_table.h"
#include "support/memory_sources.h"
#include "xls_test_support.h"

namespace vorlix::exporter::xls {
namespace {

using exporter::testing::FillMemberTable;
using exporter::testing::MemberTableCells;
using test::Ids;
using test::ParseRecords;
using test::ReadersDisagree;
using test::ReadWorkbookStream;
using test::RunError;
using test::Sheet;
using test::TempDir;

TEST(XlsExporterRun, MemberTableAndEmptyTableReadBack) {
  TempDir dir;
  MemoryListView list;
  FillMemberTable(list, 7);
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.FileName = (dir / "members.xls").string();
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {MemberTableCells(list)}), "");
  EXPECT_EQ(exporter.Sheets.Count(), 0);  // the temporary sheet is gone again

  MemoryListView empty;
  FillMemberTable(empty, 0);
  core::ConfigureAsMainWindowXlsExporter(exporter, &empty);
  exporter.FileName = (dir / "empty.xls").string();
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {{{"User", "Phone", " ", " ", " "}}}), "");
}

TEST(XlsExporterRun, ColumnsOfEqualNamesEachKeepTheirOwnValue) {
  TempDir dir;
  MemoryListView list;
  list.AddColumn("Name", 80);
  list.AddColumn("Name", 80);
  list.AddItem("first", {"second"});
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.FileName = (dir / "equal.xls").string();
  exporter.Execute();
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {{{"Name", "Name"}, {"first", "second"}}}), "");
}

TEST(XlsExporterRun, TwoSheetsWithLongAndWideTextsReadBack) {
  TempDir dir;
  MemoryListView members, notes;
  FillMemberTable(members, 3);
  notes.AddColumn("Note", 100);
  const std::string longText = std::string(4999, 'n') + "!";
  notes.AddItem(longText);
  notes.AddItem("Zo\xC3\xAB \xE2\x82\xAC 5");  // UTF-8 beyond Latin-1
  TMorvat3XLS exporter;
  TxlsSheet& first = exporter.Sheets.Add();
  first.ExportSource = esListView;
  first.ListView = &members;
  TxlsSheet& second = exporter.Sheets.Add();
  second.ExportSource = esListView;
  second.ListView = &notes;
  second.Options.PageHeader = "\xE2\x82\xAC header";
  exporter.FileName = (dir / "two.xls").string();
  exporter.Execute();
  EXPECT_EQ(
      ReadersDisagree(exporter.FileName, {MemberTableCells(members),
                                          {{"Note"}, {longText}, {"Zo\xC3\xAB \xE2\x82\xAC 5"}}}),
      "");

  // The workbook's first string too long for what the SST record has left behind its counts.
  MemoryListView single;
  single.AddColumn("Note", 100);
  const std::string opening(4108, 'f');
  single.AddItem(opening);
  TMorvat3XLS one;
  core::ConfigureAsMainWindowXlsExporter(one, &single);
  one.AllowCaptions = false;
  one.FileName = (dir / "first.xls").string();
  one.Execute();
  EXPECT_EQ(ReadersDisagree(one.FileName, {{{opening}}}), "");
}

TEST(XlsExporterRun, RowLimitAndLargeWorkbook) {
  // 65,536 rows fill a sheet: over 8 MB (FAT beyond the header's 109 sectors), an SST of
  // some 170,000 strings over many CONTINUE records.
  TempDir dir;
  MemoryListView list;
  Sheet expected{{"User", "Phone", "Office", "B", "C"}};
  for (size_t i = 0; i < core::kMemberColumnWidths.size(); ++i)
    list.AddColumn(expected[0][i], core::kMemberColumnWidths[i]);
  for (int i = 0; i < kMaxRows - 1; ++i) {
    std::string user = "member" + std::to_string(100000 + i) + ".sales.acme";
    std::string phone = i % 3 == 0 ? "" : "+31 20 " + std::to_string(5550000 + i);
    std::string office = "room " + std::to_string(i);
    list.AddItem(user, {phone, office, "", ""});
    expected.push_back({user, phone, office});
  }
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.FileName = (dir / "big.xls").string();
  exporter.Execute();
  const std::vector<uint8_t> bytes = test::ReadFileBytes(exporter.FileName);
  EXPECT_GT(bytes.size(), 8u << 20);
  EXPECT_GT(test::U32(bytes, 72), 0u);  // DIFAT sectors
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {expected}), "");

  // One record more does not fit: the run fails before a row number wraps.
  list.AddItem("one.too.many", {"", "", "", ""});
  try {
    exporter.Execute();
    ADD_FAILURE() << "no error";
  } catch (const EMorvatError& e) {
    EXPECT_STREQ(e.what(),
                 "Sheet \"Sheet 1\" needs more than 65536 rows, the most a sheet can hold");
  }
}

TEST(XlsExporterRun, TemporarySheetAndExistingFile) {
  TempDir dir;
  MemoryListView list;
  FillMemberTable(list, 2);
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.Sheets.Add().Exported = false;  // not exported: the component's own settings are
  exporter.FileName = (dir / "replaced.xls").string();
  {
    std::ofstream old(exporter.FileName, std::ios::binary);
    old << std::string(100000, 'x');
  }
  exporter.Execute();
  EXPECT_EQ(exporter.Sheets.Count(), 1);
  EXPECT_LT(std::filesystem::file_size(exporter.FileName), 100000u);
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {MemberTableCells(list)}), "");
}

TEST(XlsExporterRun, MessagesAndLimits) {
  TempDir dir;
  MemoryListView list;
  FillMemberTable(list, 1);
  TMorvat3XLS exporter;
  EXPECT_EQ(RunError(exporter), "Result file name not present");
  exporter.ExportSource = esListView;
  exporter.FileName = (dir / "out.xls").string();
  EXPECT_EQ(RunError(exporter),
            "Sheet Sheet 1 define with error: Export source (ListView) is not assigned");
  exporter.ListView = &list;
  exporter.ExportEmpty = false;
  MemoryListView empty;
  exporter.ListView = &empty;
  EXPECT_EQ(RunError(exporter), "Export source (ListView) is empty");
  exporter.ListView = &list;

  { std::ofstream blocker(dir / "file"); }
  exporter.FileName = (dir / "file" / "sub" / "out.xls").string();
  EXPECT_EQ(RunError(exporter), "Directory \"" + (dir / "file" / "sub").string() +
                                    "\" not found and cannot be created");
  exporter.FileName = (dir / "new" / "sub" / "out.xls").string();
  EXPECT_EQ(RunError(exporter), "no error");  // missing directories are created

  exporter.Options.SetSheetTitle(std::string(32, 't'));
  EXPECT_EQ(RunError(exporter),
            "Sheet \"" + std::string(32, 't') + "\": the sheet title is longer than 31 characters");
  exporter.Options.SetSheetTitle("a/b");
  EXPECT_NE(RunError(exporter).find("a character that is not allowed"), std::string::npos);
  exporter.Options.SetSheetTitle("");
  EXPECT_EQ(exporter.Options.SheetTitle(), "Sheet1");
  exporter.Options.PageFooter = std::string(256, 'f');
  EXPECT_EQ(RunError(exporter), "Sheet \"Sheet1\": the page footer is longer than 255 characters");
  exporter.Options.PageFooter.clear();
  exporter.StartDataCol = 252;  // five columns from column 253
  EXPECT_EQ(RunError(exporter),
            "Sheet \"Sheet1\": 5 columns from column 253 do not fit the sheet's 256 columns");
  exporter.StartDataCol = 0;

  TxlsSheet& a = exporter.Sheets.Add();
  TxlsSheet& b = exporter.Sheets.Add();
  for (TxlsSheet* sheet : {&a, &b}) {
    sheet->ExportSource = esListView;
    sheet->ListView = &list;
  }
  b.Title = "SHEET 1";
  EXPECT_EQ(RunError(exporter), "Sheet \"SHEET 1\": another sheet has the same title");
  // Case is folded in every script, as spreadsheet programs compare sheet names.
  a.Title = "\xC3\x84rger";  // Ärger
  b.Title = "\xC3\xA4RGER";  // äRGER
  EXPECT_EQ(RunError(exporter), "Sheet \"\xC3\xA4RGER\": another sheet has the same title");
  a.Title = "\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3";  // ΣΊΣΥΦΟΣ
  b.Title = "\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82";  // σίσυφος
  EXPECT_NE(RunError(exporter).find("another sheet has the same title"), std::string::npos);
  b.Title = "Arger";
  EXPECT_EQ(RunError(exporter), "no error");

  // A source that goes away is no longer referred to, by the component or by its sheets.
  exporter.RemoveReference(&list);
  EXPECT_EQ(exporter.ListView, nullptr);
  EXPECT_EQ(a.ListView, nullptr);
  EXPECT_EQ(b.ListView, nullptr);
}

TEST(XlsExporterRun, EventsInOrderAndStoppingTheRun) {
  TempDir dir;
  MemoryListView list;
  FillMemberTable(list, 3);
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.SkipRecCount = 1;
  exporter.FileName = (dir / "events.xls").string();
  std::vector<std::string> events;
  exporter.OnBeginExport = [&](TMorvat3&) { events.push_back("begin"); };
  exporter.OnEndExport = [&](TMorvat3&) { events.push_back("end"); };
  exporter.OnBeforeExportSheet = [&](TMorvat3XLS&, int i) {
    events.push_back("sheet " + std::to_string(i));
  };
  exporter.OnAfterExportSheet = [&](TMorvat3XLS&, int i) {
    events.push_back("done " + std::to_string(i));
  };
  exporter.OnSkippedRecord = [&](TMorvat3&, int n) {
    events.push_back("skip " + std::to_string(n));
  };
  exporter.OnBeforeExportRow = [&](TMorvat3&, TMorvatRow& row, bool& accept) {
    accept = row[0].Data != "user1.sales.acme";
  };
  exporter.OnExportedRecord = [&](TMorvat3&, int n) {
    events.push_back("row " + std::to_string(n));
  };
  exporter.OnAdvancedExportedRecord = [&](TMorvat3XLS&, int i, int n) {
    events.push_back("sheet " + std::to_string(i) + " row " + std::to_string(n));
  };
  exporter.OnGetCaptionParams = [&](TxlsSheet& sheet, int, int col, TxlsFormat&, std::string& c) {
    if (col == 0) c = "Who (" + sheet.Title + ")";
  };
  exporter.Execute();
  EXPECT_EQ(events,
            (std::vector<std::string>{"begin", "sheet 0", "skip 1", "row 1", "sheet 0 row 1",
                                      "row 2", "sheet 0 row 2", "done 0", "end"}));
  // The rejected record leaves no gap: the next record takes its row.
  EXPECT_EQ(ReadersDisagree(exporter.FileName, {{{"Who (Sheet 1)", "Phone", " ", " ", " "},
                                                 {"user2.sales.acme", "+31 20 555 1002"}}}),
            "");

  // An abort in OnBeginExport stops the whole run: no sheet, no OnEndExport, and the file of
  // the run before stays as it was.
  const std::vector<uint8_t> before = test::ReadFileBytes(exporter.FileName);
  events.clear();
  exporter.OnBeginExport = [&](TMorvat3& sender) { sender.Abort(); };
  exporter.Execute();
  EXPECT_EQ(events, std::vector<std::string>{});
  EXPECT_EQ(exporter.Sheets.Count(), 0);
  EXPECT_EQ(test::ReadFileBytes(exporter.FileName), before);
}

}  // namespace
}  // namespace vorlix::exporter::xls
