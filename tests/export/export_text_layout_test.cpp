// Byte-exact output of the text exporter's four layouts.

#include <gtest/gtest.h>

#include "export/morvat3_ascii.h"
#include "export_fixtures.h"

namespace vorlix::exporter {
namespace {

using testing::AddMemberColumns;
using testing::AddMemberRow;
using testing::CrLfLines;
using testing::RunToMemory;

class ExportTextLayout : public testing::ListExportTest {
 protected:
  // One column "Name" of the given pixel width with the given values.
  void OneColumn(int widthPixels, std::vector<std::string> values) {
    list_.AddColumn("Name", widthPixels);
    for (const auto& v : values) list_.AddItem(v);
  }
};

TEST_F(ExportTextLayout, CsvMemberTableInGroupMode) {
  AddMemberColumns(list_);
  AddMemberRow(list_, "anna.sales.acme", "555-0101");
  AddMemberRow(list_, "bert.sales.acme", "");
  testing::SetUpCsv(exporter_, list_);
  EXPECT_EQ(RunToMemory(exporter_),
            "\"User\";\"Phone\";\"\";\"\";\"\"\r\n"
            "\"anna.sales.acme\";\"555-0101\";\"\";\"\";\"\"\r\n"
            "\"bert.sales.acme\";\"\";\"\";\"\";\"\"\r\n");
}

TEST_F(ExportTextLayout, CsvQuotingAndSeparators) {
  list_.AddColumn("A", 80);
  list_.AddColumn("B", 80);
  list_.AddItem("x;y\"z", {""});
  testing::SetUpCsv(exporter_, list_);
  EXPECT_EQ(RunToMemory(exporter_), "\"A\";\"B\"\r\n\"x;y\"\"z\";\"\"\r\n");

  exporter_.CSVQuoteStrings = false;
  EXPECT_EQ(RunToMemory(exporter_), "A;B\r\nx;y\"z;\r\n");

  exporter_.CSVQuoteStrings = true;
  exporter_.CSVQuote = 0;
  exporter_.CSVComma = ',';
  EXPECT_EQ(RunToMemory(exporter_), "A,B\r\nx;y\"z,\r\n");

  // Separators and line breaks inside a quoted field are written as they are.
  exporter_.CSVQuote = '\'';
  list_.ItemAt(0).caption = "it's\r\nok";
  EXPECT_EQ(RunToMemory(exporter_), "'A','B'\r\n'it''s\r\nok',''\r\n");
}

TEST_F(ExportTextLayout, CsvCaptionsHeaderAndFooter) {
  OneColumn(80, {"v1", "v2"});
  testing::SetUpCsv(exporter_, list_);
  exporter_.AllowCaptions = false;
  EXPECT_EQ(RunToMemory(exporter_), "\"v1\"\r\n\"v2\"\r\n");

  exporter_.AllowCaptions = true;
  exporter_.Header = {"Members", ""};
  exporter_.Footer = {"Total", "End"};
  EXPECT_EQ(RunToMemory(exporter_),
            "Members\r\n\r\n\"Name\"\r\n\"v1\"\r\n\"v2\"\r\nTotal;\r\nEnd;\r\n");
}

TEST_F(ExportTextLayout, TxtPaddingByAlignment) {
  OneColumn(80, {"abc", "abcdefghijkl"});  // 80 pixels: 10 characters
  exporter_.AllowCaptions = false;
  exporter_.AutoCalcColWidth = false;
  EXPECT_EQ(RunToMemory(exporter_), "abc" + std::string(8, ' ') + "\r\nabcdefghijkl \r\n");

  exporter_.ColumnsAlign = {"name=Right"};
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_))[0], std::string(7, ' ') + "abc ");
  exporter_.ColumnsAlign = {"Name=center"};
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_))[0], "   abc     ");

  exporter_.TXTSpacing = 0;
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_))[0], "   abc    ");
}

TEST_F(ExportTextLayout, TxtWidthPassTitleAndFooter) {
  list_.AddColumn("Name", 16);  // 2 characters before the width pass
  list_.AddColumn("Phone", 8);
  list_.AddItem("anna", {"1"});
  list_.AddItem("christopher", {""});
  exporter_.Header = {"head"};
  exporter_.Footer = {"foot"};
  // The default text exporter: etTXT with the width pass; no title block with an empty Title.
  EXPECT_EQ(RunToMemory(exporter_),
            "head\r\n"
            "Name        Phone \r\n"
            "anna        1     \r\n"
            "christopher       \r\n"
            "foot\r\n");

  exporter_.Title = "Members";
  std::vector<std::string> lines = CrLfLines(RunToMemory(exporter_));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Members");
  EXPECT_EQ(lines[1], std::string(80, '-'));
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "head");
}

TEST_F(ExportTextLayout, TxtWidthPassMeasuresValuesAsTheRowHoldsThem) {
  // The control character keeps the raw text from reading as a number; the row drops it.
  OneColumn(8, {"222222", "222221111\x01"});
  exporter_.AutoCalcStrType = true;
  exporter_.AllowCaptions = false;
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)),
            (std::vector<std::string>{"    222,222 ", "222,221,111 "}));  // numbers go right
}

TEST_F(ExportTextLayout, TxtWidthsCountWhatTheReaderSeesAsOneCharacter) {
  // A Windows-1252 "£5", three Windows-1252 euro signs and a UTF-8 "grüße": 2, 3 and 5 wide.
  OneColumn(8, {"\xA3"
                "5",
                "\x80\x80\x80",
                "gr\xC3\xBC\xC3\x9F"
                "e"});
  exporter_.AllowCaptions = false;
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)), (std::vector<std::string>{"\xA3"
                                                                         "5    ",
                                                                         "\x80\x80\x80   ",
                                                                         "gr\xC3\xBC\xC3\x9F"
                                                                         "e "}));
}

TEST_F(ExportTextLayout, TxtWidthComesOnlyFromTheExportedRecords) {
  // A data set whose skipped first record holds the longest value.
  MemoryDataSet data;
  data.AddField("Name", ftString, true, "", 2);
  data.AddRecord({"a much longer skipped value"});
  data.AddRecord({"short"});
  data.AddRecord({"shorter!"});
  exporter_.ExportSource = esDataSet;
  exporter_.DataSet = &data;
  exporter_.SkipRecCount = 1;
  EXPECT_EQ(RunToMemory(exporter_), "Name     \r\nshort    \r\nshorter! \r\n");
}

TEST_F(ExportTextLayout, LineBreaksAndTabsKeepEveryValueOnItsLine) {
  list_.AddColumn("Line\nbreak", 8);
  list_.AddColumn("B", 8);
  list_.AddItem("a\r\nb\rc\nd", {"t\tab"});
  list_.AddItem("x", {"y"});
  // Fixed width: each break and TAB is one blank, and the widths count them so.
  EXPECT_EQ(RunToMemory(exporter_),
            "Line break B    \r\n"
            "a b c d    t ab \r\n"
            "x          y    \r\n");

  exporter_.SetExportType(etSYLK);
  EXPECT_EQ(RunToMemory(exporter_),
            "ID;PVASCIIEXPORT\r\n"
            "C;X1;Y1;K\"Line break\"\r\n"
            "C;X2;Y1;K\"B\"\r\n"
            "C;X1;Y2;K\"a b c d\"\r\n"
            "C;X2;Y2;K\"t\tab\"\r\n"
            "C;X1;Y3;K\"x\"\r\n"
            "C;X2;Y3;K\"y\"\r\n"
            "E\r\n");

  exporter_.SetExportType(etDIF);
  const std::vector<std::string> dif = CrLfLines(RunToMemory(exporter_));
  ASSERT_EQ(dif.size(), 32u);  // 12 header lines, three tuples of 6, the trailer
  EXPECT_EQ(dif[15], "\"Line break\"");
  EXPECT_EQ(dif[21], "\"a b c d\"");
  EXPECT_EQ(dif[23], "\"t\tab\"");

  // CSV quotes them instead.
  testing::SetUpCsv(exporter_, list_);
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_))[1], "\"a");
}

TEST_F(ExportTextLayout, SylkCellsWithAndWithoutCaptions) {
  list_.AddColumn("User", 80);
  list_.AddColumn("Phone", 80);
  list_.AddItem("anna", {"1;2"});
  exporter_.SetExportType(etSYLK);
  exporter_.Header = {"ignored"};
  exporter_.Footer = {"ignored"};
  EXPECT_EQ(RunToMemory(exporter_),
            "ID;PVASCIIEXPORT\r\n"
            "C;X1;Y1;K\"User\"\r\n"
            "C;X2;Y1;K\"Phone\"\r\n"
            "C;X1;Y2;K\"anna\"\r\n"
            "C;X2;Y2;K\"1;;2\"\r\n"
            "E\r\n");
  EXPECT_FALSE(exporter_.AutoCalcColWidth);  // written back by the run

  exporter_.AllowCaptions = false;
  EXPECT_EQ(RunToMemory(exporter_),
            "ID;PVASCIIEXPORT\r\nC;X1;Y1;K\"anna\"\r\nC;X2;Y1;K\"1;;2\"\r\nE\r\n");
}

TEST_F(ExportTextLayout, DifHeaderTuplesAndTrailer) {
  list_.AddColumn("User", 80);
  list_.AddColumn("Phone", 80);
  list_.AddItem("anna", {"say \"hi\""});
  exporter_.SetExportType(etDIF);
  EXPECT_EQ(RunToMemory(exporter_),
            "TABLE\r\n0,1\r\n\"\"\r\n"
            "VECTORS\r\n0,2\r\n\"\"\r\n"
            "TUPLES\r\n0,2\r\n\"\"\r\n"
            "DATA\r\n0,0\r\n\"\"\r\n"
            "-1,0\r\nBOT\r\n1,0\r\n\"User\"\r\n1,0\r\n\"Phone\"\r\n"
            "-1,0\r\nBOT\r\n1,0\r\n\"anna\"\r\n1,0\r\n\"say \"\"hi\"\"\"\r\n"
            "-1,0\r\nEOD\r\n");
}

TEST_F(ExportTextLayout, DifNumbersAndCountingPass) {
  list_.AddColumn("N", 80);
  for (const char* v : {"12", "7", "1234", "x"}) list_.AddItem(v);
  exporter_.SetExportType(etDIF);
  exporter_.AutoCalcStrType = true;  // "12" makes the column ectInteger
  exporter_.AllowCaptions = false;
  exporter_.SkipRecCount = 1;
  std::vector<int> fetched, skipped;
  exporter_.OnFetchedRecord = [&](TMorvat3&, int n) { fetched.push_back(n); };
  exporter_.OnSkippedRecord = [&](TMorvat3&, int n) { skipped.push_back(n); };
  std::string out = RunToMemory(exporter_);
  EXPECT_NE(out.find("TUPLES\r\n0,3\r\n"), std::string::npos);
  // A plain number is a numeric cell; a grouped one or a non-number stays readable as text.
  EXPECT_NE(out.find("BOT\r\n0,7\r\nV\r\n"), std::string::npos);
  EXPECT_NE(out.find("BOT\r\n1,0\r\n\"1,234\"\r\n"), std::string::npos);
  EXPECT_NE(out.find("BOT\r\n0,0\r\nV\r\n"), std::string::npos);  // "x" reads as 0
  EXPECT_EQ(fetched, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(skipped, (std::vector<int>{1, 1}));  // counting pass and run each skip once
}

TEST_F(ExportTextLayout, AbortTrailersPerLayout) {
  OneColumn(80, {"a", "b", "c"});
  exporter_.Footer = {"F"};
  exporter_.OnExportedRecord = [&](TMorvat3& sender, int) { sender.Abort(); };

  testing::SetUpCsv(exporter_, list_);
  EXPECT_EQ(RunToMemory(exporter_), "\"Name\"\r\n\"a\"\r\n\r\nF;\r\nF;\r\n");

  exporter_.SetExportType(etDIF);
  std::string dif = RunToMemory(exporter_);
  EXPECT_NE(dif.find("\"a\"\r\n-1,0\r\nEOD\r\n-1,0\r\nEOD\r\n"), std::string::npos) << dif;
  EXPECT_EQ(dif.find("\"b\""), std::string::npos);

  exporter_.SetExportType(etSYLK);
  EXPECT_EQ(RunToMemory(exporter_),
            "ID;PVASCIIEXPORT\r\nC;X1;Y1;K\"Name\"\r\nC;X1;Y2;K\"a\"\r\nE\r\n");
}

TEST_F(ExportTextLayout, ExportTypeToTxtTurnsOnWidthPass) {
  exporter_.SetExportType(etCSV);
  exporter_.AutoCalcColWidth = false;
  exporter_.SetExportType(etCSV);
  EXPECT_FALSE(exporter_.AutoCalcColWidth);
  exporter_.SetExportType(etTXT);
  EXPECT_TRUE(exporter_.AutoCalcColWidth);
}

}  // namespace
}  // namespace vorlix::exporter
