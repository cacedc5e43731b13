// The export run: range, events, aborts, guards and failures.

#include <gtest/gtest.h>

#include "export/morvat3_ascii.h"
#include "export_fixtures.h"

namespace vorlix::exporter {
namespace {

using testing::CrLfLines;
using testing::RunToMemory;

// A CSV exporter without quotes over a one-column list "c" whose items are "0", "1", ...
class ExportRun : public ::testing::Test {
 protected:
  testing::PinnedLocale locale_;
  MemoryListView list_;
  TMorvat3ASCII exporter_;

  void Items(int count) {
    list_.AddColumn("c", 80);
    for (int i = 0; i < count; ++i) list_.AddItem(std::to_string(i));
    testing::SetUpCsv(exporter_, list_);
    exporter_.CSVQuoteStrings = false;
  }
  std::vector<std::string> Lines() { return CrLfLines(RunToMemory(exporter_)); }
  using V = std::vector<std::string>;
};

TEST_F(ExportRun, SkipAndLimitAreClampedAndWrittenBack) {
  Items(3);
  exporter_.SkipRecCount = 1;
  EXPECT_EQ(Lines(), (V{"c", "1", "2"}));
  EXPECT_EQ(exporter_.SkipRecCount, 1);

  exporter_.SkipRecCount = 5;
  EXPECT_EQ(Lines(), (V{"c"}));  // caption row still written
  EXPECT_EQ(exporter_.SkipRecCount, 3);
}

TEST_F(ExportRun, ColumnsOfEqualNamesEachKeepTheirOwnValue) {
  list_.AddColumn("User", 80);
  for (int i = 0; i < 3; ++i) list_.AddColumn(" ", 80);  // as the member table names them
  list_.AddItem("u", {"a", "b", "c"});
  testing::SetUpCsv(exporter_, list_);
  exporter_.CSVQuoteStrings = false;
  EXPECT_EQ(Lines(), (V{"User; ; ; ", "u;a;b;c"}));
}

TEST_F(ExportRun, ExportRecCountBoundsTheRows) {
  Items(5);
  exporter_.ExportRecCount = 2;
  EXPECT_EQ(Lines(), (V{"c", "0", "1"}));
  EXPECT_EQ(exporter_.ExportRecCount, 2);

  exporter_.ExportRecCount = 9;
  EXPECT_EQ(Lines().size(), 6u);
  EXPECT_EQ(exporter_.ExportRecCount, 5);

  exporter_.ExportRecCount = -1;
  EXPECT_EQ(Lines(), (V{"c"}));
}

TEST_F(ExportRun, CurrentRecordOnlyWritesTheItemAtTheSkip) {
  Items(5);
  exporter_.CurrentRecordOnly = true;
  exporter_.SkipRecCount = 2;
  EXPECT_EQ(Lines(), (V{"c", "2"}));
  EXPECT_EQ(list_.SelectedIndex(), 0);  // GoToFirstRecord selects item 0
}

TEST_F(ExportRun, RejectedRowKeepsItsRecordNumber) {
  Items(4);
  std::vector<int> exported;
  exporter_.OnBeforeExportRow = [](TMorvat3&, TMorvatRow& row, bool& accept) {
    accept = row.Value("C") != "1";  // the name index is case-insensitive
  };
  exporter_.OnExportedRecord = [&](TMorvat3&, int recNo) { exported.push_back(recNo); };
  EXPECT_EQ(Lines(), (V{"c", "0", "2", "3"}));
  EXPECT_EQ(exported, (std::vector<int>{0, 2, 3}));
}

TEST_F(ExportRun, HandlersMayChangeCellTexts) {
  Items(2);
  exporter_.OnGetExportText = [](TMorvat3&, int colNo, std::string& text) {
    EXPECT_EQ(colNo, 0);
    text = "  <" + text + ">\t ";
  };
  EXPECT_EQ(Lines(), (V{"c", "<0>", "<1>"}));

  exporter_.OnGetExportText = nullptr;
  exporter_.OnBeforeExportRow = [](TMorvat3&, TMorvatRow& row, bool&) {
    row.SetValue("c", row.Value("c") + "!");
  };
  EXPECT_EQ(Lines(), (V{"c", "0!", "1!"}));
}

TEST_F(ExportRun, ValuesAreTrimmed) {
  list_.AddColumn("c", 80);
  list_.AddItem("  -");
  list_.AddItem("\tx y \r\n");
  testing::SetUpCsv(exporter_, list_);
  EXPECT_EQ(Lines(), (V{"\"c\"", "\"-\"", "\"x y\""}));
}

TEST_F(ExportRun, AbortFromExportedRecordEndsTheLoopButNotTheRun) {
  Items(3);
  int ended = 0, stopAsked = 0;
  exporter_.OnEndExport = [&](TMorvat3&) { ++ended; };
  exporter_.OnExportedRecord = [](TMorvat3& sender, int recNo) {
    if (recNo == 0) sender.Abort();
  };
  EXPECT_EQ(Lines(), (V{"c", "0", ""}));  // the abort writes an empty line
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(exporter_.Aborted);

  // A stop handler that answers "go on" clears the abort and the run continues.
  exporter_.OnStopExport = [&](TMorvat3&, bool& canContinue) {
    EXPECT_FALSE(canContinue);
    ++stopAsked;
    canContinue = true;
  };
  EXPECT_EQ(Lines(), (V{"c", "0", "", "1", "2"}));
  EXPECT_EQ(stopAsked, 1);
  EXPECT_FALSE(exporter_.Aborted);
}

TEST_F(ExportRun, AbortFromBeginExportSkipsCaptionsAndEndExport) {
  Items(2);
  int ended = 0;
  exporter_.OnEndExport = [&](TMorvat3&) { ++ended; };
  exporter_.OnBeginExport = [](TMorvat3& sender) { sender.Abort(); };
  exporter_.Footer = {"F"};
  // Only the abort's own trailer is written.
  EXPECT_EQ(RunToMemory(exporter_), "\r\nF;\r\n");
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(list_.UpdateDepth(), 0);  // unlocked again
}

TEST_F(ExportRun, EventOrderAndCounters) {
  Items(3);
  exporter_.SkipRecCount = 1;
  std::vector<std::string> events;
  exporter_.OnBeginExport = [&](TMorvat3& s) {
    events.push_back("begin:" + std::to_string(s.Columns.Count()));
  };
  exporter_.OnSkippedRecord = [&](TMorvat3&, int n) {
    events.push_back("skip:" + std::to_string(n));
  };
  exporter_.OnExportedRecord = [&](TMorvat3&, int n) {
    events.push_back("row:" + std::to_string(n));
  };
  exporter_.OnEndExport = [&](TMorvat3&) { events.push_back("end"); };
  RunToMemory(exporter_);
  EXPECT_EQ(events, (V{"begin:1", "skip:1", "row:0", "row:1", "end"}));
}

TEST_F(ExportRun, EmptyAndUnsetSources) {
  list_.AddColumn("c", 80);
  testing::SetUpCsv(exporter_, list_);
  exporter_.Header = {"H"};
  exporter_.Footer = {"F"};
  EXPECT_EQ(RunToMemory(exporter_), "H\r\n\"c\"\r\nF;\r\n");

  exporter_.ExportEmpty = false;
  try {
    RunToMemory(exporter_);
    FAIL() << "an empty source must fail";
  } catch (const EMorvatError& e) {
    EXPECT_EQ(e.Number(), 34017);
    EXPECT_STREQ(e.what(), "Export source (ListView) is empty");
  }

  exporter_.ListView = nullptr;
  try {
    RunToMemory(exporter_);
    FAIL() << "an unset source must fail";
  } catch (const EMorvatError& e) {
    EXPECT_EQ(e.Number(), 34014);
    EXPECT_STREQ(e.what(), "Export source (ListView) is not assigned");
  }
}

TEST_F(ExportRun, ClosedDataSetFails) {
  MemoryDataSet data;
  data.AddField("a");
  data.SetActive(false);
  exporter_.ExportSource = esDataSet;
  exporter_.DataSet = &data;
  EXPECT_THROW(
      {
        try {
          RunToMemory(exporter_);
        } catch (const EMorvatError& e) {
          EXPECT_STREQ(e.what(), "Export source (DataSet) is closed");
          throw;
        }
      },
      EMorvatError);
}

TEST_F(ExportRun, ConversionFailuresGiveEmptyOrZero) {
  list_.AddColumn("f", 80);
  list_.AddColumn("i", 80);
  list_.AddItem("1.5", {"12"});  // guessed ectFloat and ectInteger
  list_.AddItem("abc", {"abc"});
  testing::SetUpCsv(exporter_, list_);
  exporter_.CSVQuoteStrings = false;
  exporter_.AutoCalcStrType = true;
  exporter_.Formats.SetIntegerFormat("");
  EXPECT_EQ(Lines(), (V{"f;i", "1.50;12", ";0"}));
}

TEST_F(ExportRun, ShortListItemEndsTheRunAfterTheFooter) {
  // A list whose item lacks a sub-item fails when the cell is read; what was written stays,
  // and EndExport still appends the footer.
  list_.AddColumn("a", 80);
  list_.AddColumn("b", 80);
  list_.AddItem("full", {"x"});
  list_.AddItem("short");
  testing::SetUpCsv(exporter_, list_);
  exporter_.Footer = {"F"};
  MorvatMemoryStream stream;
  EXPECT_THROW(exporter_.ExportToStream(stream), EListIndexError);
  EXPECT_EQ(stream.Data(), "\"a\";\"b\"\r\n\"full\";\"x\"\r\nF;\r\n");
  EXPECT_EQ(list_.UpdateDepth(), 0);
  EXPECT_EQ(exporter_.Writer, nullptr);
}

TEST_F(ExportRun, MemberTableRowsNeverTripTheIndexError) {
  // The member table always fills all five cells, empty ones included.
  testing::AddMemberColumns(list_, {"Workstation", "User", "Last login", "IP-address", "Phone"});
  testing::AddMemberRow(list_, "ws01.pcs.acme", "anna.sales.acme", "2026-12-01 08:00", "[10.0.0.1]",
                        "555-0101");
  testing::AddMemberRow(list_, "ws02.pcs.acme", "");
  testing::SetUpCsv(exporter_, list_);
  std::vector<std::string> lines;
  ASSERT_NO_THROW(lines = Lines());
  EXPECT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "\"ws02.pcs.acme\";\"\";\"\";\"\";\"\"");
}

TEST_F(ExportRun, NullValuesUseTheNullString) {
  MemoryDataSet data;
  data.AddField("name");
  data.AddField("phone");
  data.AddRecord({"anna", std::nullopt});
  exporter_.ExportSource = esDataSet;
  exporter_.DataSet = &data;
  exporter_.SetExportType(etCSV);
  exporter_.CSVComma = ';';
  exporter_.Formats.SetNullString("  (none)\t");
  EXPECT_EQ(exporter_.Formats.NullString(), "(none)");
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_))[1], "\"anna\";\"(none)\"");
  EXPECT_EQ(data.OpenBookmarks(), 0);
  EXPECT_EQ(data.ControlsDisabled(), 0);
}

}  // namespace
}  // namespace vorlix::exporter
