// What a sheet cannot hold: more rows than 1,048,576 and longer texts than 32,767 characters
// (in .xls as in .xlsx) are refused with a message that says so, and a file of the name keeps its
// bytes.

#include <gtest/gtest.h>

#include "../xls/xls_test_support.h"
#include "export/custom_source.h"
#include "export/xls/morvat3_xls.h"
#include "export/xlsx/morvat3_xlsx.h"
#include "support/memory_sources.h"
#include "xlsx_test_support.h"

namespace vorlix::exporter::xlsx {
namespace {

using test::FolderEntries;
using test::GeneratedList;
using test::ReadText;
using test::WriteText;
using xls::test::TempDir;

// The message of the error Execute raises; empty when it raises none.
std::string ExecuteError(TMorvat3XLSX& exporter) {
  try {
    exporter.Execute();
  } catch (const EMorvatError& e) {
    return e.what();
  }
  return {};
}

TEST(XlsxLimits, AListPastTheLastRowIsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  GeneratedList list(kMaxRows);  // with the caption row, one row too many
  TMorvat3XLSX exporter;
  exporter.ExportSource = esListView;
  exporter.ListView = &list;
  exporter.Options.SheetTitle = "Sheet 1";
  exporter.FileName = (dir / "huge.xlsx").string();
  WriteText(exporter.FileName, "kept");
  EXPECT_EQ(ExecuteError(exporter),
            "Sheet \"Sheet 1\" needs 1048577 rows, more than the 1048576 rows a sheet can hold");
  EXPECT_EQ(ReadText(exporter.FileName), "kept");
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"huge.xlsx"});

  // The range the run would export counts, not the whole list.
  exporter.SkipRecCount = 1;
  exporter.MaxRows = 0;  // nothing fits, so the check alone decides
  EXPECT_NE(ExecuteError(exporter).find("needs 1048576 rows, more than the 0 rows"),
            std::string::npos);
  exporter.ExportRecCount = 10;
  exporter.AllowCaptions = false;
  EXPECT_NE(ExecuteError(exporter).find("needs 10 rows"), std::string::npos);
}

TEST(XlsxLimits, TheLastRowFitsAndTheNextOneDoesNot) {
  TempDir dir;
  TMorvat3XLSX exporter;
  exporter.ExportSource = esListView;
  exporter.MaxRows = 4;  // stands for 1,048,576
  exporter.FileName = (dir / "rows.xlsx").string();

  GeneratedList fits(3);  // caption row + 3
  exporter.ListView = &fits;
  EXPECT_EQ(ExecuteError(exporter), "");
  EXPECT_EQ(test::Facts(exporter.FileName)["rows"], "4");
  const std::string written = ReadText(exporter.FileName);

  GeneratedList tooMany(4);
  exporter.ListView = &tooMany;
  EXPECT_NE(ExecuteError(exporter).find("needs 5 rows, more than the 4 rows"), std::string::npos);
  EXPECT_EQ(ReadText(exporter.FileName), written);

  // A source that does not know its count is stopped at the row that does not fit; the file
  // keeps the workbook it held and no temporary file is left.
  TmvCustomSource source;
  source.AddColumn();
  source.OnGetNextRecord = [](TmvCustomSource&, int recNo, bool& eof) { eof = recNo >= 4; };
  source.OnGetColumnValue = [](TmvCustomSource&, int recNo, TmvCustomColumn&, TmvVariant& v) {
    v = int64_t{recNo};
  };
  exporter.ExportSource = esCustom;
  exporter.CustomSource = &source;
  EXPECT_EQ(ExecuteError(exporter),
            "Sheet \"Sheet1\" needs more than 4 rows, the most a sheet can hold");
  EXPECT_EQ(ReadText(exporter.FileName), written);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"rows.xlsx"});
}

TEST(XlsxLimits, BothWorkbookFormatsRefuseATextLongerThanACellHolds) {
  const std::string accent = "\xC3\xA9", emoji = "\xF0\x9F\x98\x80";  // U+1F600: two units
  std::string pairs;
  for (size_t i = 0; i < kMaxCellCharacters / 2; ++i) pairs += emoji;
  struct Case {
    std::string text;
    std::string error;  // empty: written
  };
  const std::string refusal =
      "Row 3, column \"Note\": the text has 32768 characters, more than "
      "the 32767 a cell can hold";
  const std::vector<Case> cases = {
      {std::string(kMaxCellCharacters - 1, 'x') + accent, ""},
      {std::string(kMaxCellCharacters, 'x') + accent, refusal},
      {std::string(36000, 'y'),
       "Row 3, column \"Note\": the text has 36000 characters, more "
       "than the 32767 a cell can hold"},
      {pairs + "z", ""},
      {pairs + emoji,
       "Row 3, column \"Note\": the text has 32768 characters, more than the "
       "32767 a cell can hold"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    MemoryListView list;
    list.AddColumn("Note", 100);
    list.AddItem("short");
    list.AddItem(c.text);
    TMorvat3XLSX xlsx;
    xlsx.ExportSource = esListView;
    xlsx.ListView = &list;
    xlsx.FileName = (dir / "long.xlsx").string();
    xls::TMorvat3XLS sheet;
    sheet.ExportSource = esListView;
    sheet.ListView = &list;
    sheet.FileName = (dir / "long.xls").string();
    EXPECT_EQ(ExecuteError(xlsx), c.error) << c.text.size();
    std::string xlsError;
    try {
      sheet.Execute();
    } catch (const EMorvatError& e) {
      xlsError = e.what();
    }
    EXPECT_EQ(xlsError, c.error) << c.text.size();
    const std::vector<std::string> written = {"long.xls", "long.xlsx"};
    EXPECT_EQ(FolderEntries(dir.Path()), c.error.empty() ? written : std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace vorlix::exporter::xlsx
