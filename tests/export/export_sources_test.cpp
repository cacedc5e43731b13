// The other source kinds: data set, data grid, string grid and the custom source.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "export/custom_source.h"
#include "export/morvat3_ascii.h"
#include "export_fixtures.h"

namespace vorlix::exporter {
namespace {

using testing::CrLfLines;
using testing::RunToMemory;
using V = std::vector<std::string>;

class ExportSources : public ::testing::Test {
 protected:
  testing::PinnedLocale locale_;
  TMorvat3ASCII exporter_;
  MemoryDataSet data_;

  void SetUp() override {
    exporter_.SetExportType(etCSV);
    exporter_.CSVComma = ';';
    exporter_.CSVQuoteStrings = false;
    data_.AddField("id", ftInteger, true, "Number", 4);
    data_.AddField("name", ftString, true, "", 12);
    data_.AddField("note", ftMemo);
    data_.AddField("secret", ftString, false);
    data_.AddRecord({"1", "anna", "n1", "s1"});
    data_.AddRecord({"1200", std::nullopt, "n2", "s2"});
    data_.AddRecord({"x", "carl", "n3", "s3"});
  }
};

TEST_F(ExportSources, DataSetFieldsTypesAndVisibility) {
  exporter_.ExportSource = esDataSet;
  exporter_.DataSet = &data_;
  data_.Next();  // the run starts from the first record all the same
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)),
            (V{"Number;name;secret", "1;anna;s1", "1,200;;s2", "0;carl;s3"}));
  EXPECT_EQ(exporter_.Columns[0].ColAlign, ecaRight);
  EXPECT_EQ(exporter_.Columns[0].Width, 4);
  EXPECT_EQ(exporter_.Columns[1].Width, 12);

  exporter_.OnlyVisibleFields = true;
  exporter_.ExportedFields = {"NOTE", "secret", "name"};  // named blobs are exported
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)), (V{"note;name", "n1;anna", "n2;", "n3;carl"}));
  EXPECT_EQ(data_.ControlsDisabled(), 0);
}

TEST_F(ExportSources, DataSetWidthPassRestoresThePosition) {
  exporter_.ExportSource = esDataSet;
  exporter_.DataSet = &data_;
  exporter_.SetExportType(etTXT);
  exporter_.GoToFirstRecord = false;
  exporter_.ExportedFields = {"name"};
  data_.Next();
  std::vector<int> fetched;
  exporter_.OnFetchedRecord = [&](TMorvat3&, int n) { fetched.push_back(n); };
  // Without the move to the first record the data rows start where the data set stands.
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)),
            (V{"name         ", std::string(13, ' '), "carl         "}));
  EXPECT_EQ(fetched, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(data_.OpenBookmarks(), 0);
}

TEST_F(ExportSources, DataGridReadsItsDataSet) {
  MemoryDBGrid grid(&data_);
  grid.AddColumn("name", "Who", 96);
  grid.AddColumn("id", "No", 40);
  grid.AddColumn("missing", "Gone", 40);
  exporter_.ExportSource = esDBGrid;
  exporter_.DBGrid = &grid;
  exporter_.SkipRecCount = 1;
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)), (V{"Who;No", ";1,200", "carl;0"}));
  EXPECT_EQ(exporter_.Columns[0].Width, 12);
  EXPECT_EQ(exporter_.Columns[0].Name, "name");

  grid.SetDataSet(nullptr);
  try {
    RunToMemory(exporter_);
    FAIL();
  } catch (const EMorvatError& e) {
    EXPECT_STREQ(e.what(), "Export source (DBGrid) is not assigned");
  }

  // A component going away clears only the references to it.
  exporter_.DataSet = &data_;
  exporter_.RemoveReference(&grid);
  EXPECT_EQ(exporter_.DBGrid, nullptr);
  EXPECT_EQ(exporter_.DataSet, &data_);
}

TEST_F(ExportSources, StringGridRowsAndCaptions) {
  MemoryStringGrid grid(3, 4, 1, 40);
  const char* cells[4][3] = {{"A", "B", "C"}, {"1", "x", "p"}, {"2", "y", "q"}, {"3", "z", "r"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) grid.SetCell(c, r, cells[r][c]);
  exporter_.ExportSource = esStringGrid;
  exporter_.StringGrid = &grid;
  exporter_.ExportedFields = {"2", "0", "7", "-1"};
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)), (V{"ColNo_2;ColNo_0", "p;1", "q;2", "r;3"}));
  EXPECT_EQ(exporter_.Columns[0].Name, "2");
  EXPECT_EQ(exporter_.Columns[0].Width, 5);

  exporter_.CaptionRow = 0;
  exporter_.ExportRecCount = 2;
  exporter_.Captions = {"0=First"};
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)), (V{"C;First", "p;1", "q;2"}));
}

TEST_F(ExportSources, CustomSourceRecordsAndColumns) {
  TmvCustomSource source;
  TmvCustomColumn& a = source.AddColumn();
  TmvCustomColumn& b = source.AddColumn();
  EXPECT_EQ(a.ColumnName(), "Column0");
  EXPECT_EQ(b.ColumnName(), "Column1");
  a.SetColumnName("COLUMN1");  // taken (any case): ignored
  a.SetColumnName("");
  EXPECT_EQ(a.ColumnName(), "Column0");
  a.SetColumnName("Column5");
  EXPECT_EQ(source.AddColumn().ColumnName(), "Column0");
  b.Caption = "Value";
  b.ColumnType = ectFloat;

  source.OnGetNextRecord = [](TmvCustomSource&, int recNo, bool& eof) { eof = recNo >= 3; };
  source.OnGetColumnValue = [](TmvCustomSource&, int recNo, TmvCustomColumn& column,
                               TmvVariant& value) {
    if (column.Index() == 1)
      value = recNo * 1.5;
    else
      value = "r" + std::to_string(recNo);
  };
  exporter_.ExportSource = esCustom;
  exporter_.CustomSource = &source;
  exporter_.ExportedFields = {"column5", "Column1"};  // the caption kept the first name
  EXPECT_EQ(CrLfLines(RunToMemory(exporter_)),
            (V{"Column0;Value", "r1;1.50", "r2;3.00", "r3;4.50"}));
  EXPECT_EQ(exporter_.Columns[0].Width, 15);

  // A custom source with a handler is not empty; without one it has no records.
  exporter_.ExportEmpty = false;
  EXPECT_NO_THROW(RunToMemory(exporter_));
  source.OnGetNextRecord = nullptr;
  EXPECT_THROW(RunToMemory(exporter_), EMorvatError);
  EXPECT_EQ(VariantText(TmvVariant(true)), "True");
  EXPECT_EQ(VariantText(TmvVariant(int64_t{-4})), "-4");
}

// A data set, a data grid and a custom source cannot tell their record count, so the run itself
// stops at ExportRecCount: in the rows written, in the DIF tuple count and in the column widths.
TEST_F(ExportSources, ExportRecCountEndsSourcesThatCannotCountTheirRecords) {
  const std::string wide = "a-name-wider-than-any-column";
  data_.AddRecord({"4", wide, "n4", "s4"});
  MemoryDBGrid grid(&data_);
  grid.AddColumn("name", "name", 40);
  TmvCustomSource custom;
  custom.AddColumn().SetColumnName("name");
  custom.OnGetNextRecord = [](TmvCustomSource&, int recNo, bool& eof) { eof = recNo >= 4; };
  custom.OnGetColumnValue = [&](TmvCustomSource&, int recNo, TmvCustomColumn&, TmvVariant& value) {
    value = recNo == 4 ? wide : "r" + std::to_string(recNo);
  };
  const std::vector<std::pair<const char*, std::function<void()>>> sources = {
      {"data set",
       [&] {
         exporter_.ExportSource = esDataSet;
         exporter_.DataSet = &data_;
         exporter_.ExportedFields = {"name"};
       }},
      {"data grid",
       [&] {
         exporter_.ExportSource = esDBGrid;
         exporter_.DBGrid = &grid;
       }},
      {"custom source",
       [&] {
         exporter_.ExportSource = esCustom;
         exporter_.CustomSource = &custom;
       }},
  };
  for (const auto& [name, use] : sources) {
    SCOPED_TRACE(name);
    use();
    exporter_.ExportRecCount = 3;
    exporter_.SetExportType(etCSV);
    const std::vector<std::string> csv = CrLfLines(RunToMemory(exporter_));
    EXPECT_EQ(csv.size(), 4u);  // the captions and three records
    EXPECT_EQ(std::count(csv.begin(), csv.end(), wide), 0);

    exporter_.SetExportType(etDIF);
    EXPECT_NE(RunToMemory(exporter_).find("TUPLES\r\n0,4\r\n"), std::string::npos);

    exporter_.SetExportType(etTXT);
    const std::vector<std::string> txt = CrLfLines(RunToMemory(exporter_));
    EXPECT_EQ(txt.size(), 4u);
    EXPECT_LT(exporter_.Columns[0].Width, static_cast<int>(wide.size()));
  }
}

TEST_F(ExportSources, ListSelectionAfterTheRun) {
  MemoryListView list;
  list.AddColumn("c", 80);
  for (const char* v : {"a", "b", "c"}) list.AddItem(v);
  exporter_.ExportSource = esListView;
  exporter_.ListView = &list;
  exporter_.SetExportType(etTXT);
  exporter_.GoToFirstRecord = false;
  list.SelectItem(2);
  RunToMemory(exporter_);
  EXPECT_EQ(list.SelectedIndex(), 2);  // the width pass puts the selection back
  exporter_.GoToFirstRecord = true;
  RunToMemory(exporter_);
  EXPECT_EQ(list.SelectedIndex(), 0);
}

TEST_F(ExportSources, RowNameIndex) {
  MorvatSourceSettings owner;
  TMorvatColumns columns(owner);
  for (const char* name : {"zeta", "Alpha", " mid ", "alpha"}) columns.Add().Name = name;
  TMorvatRow row(columns);
  row.Build();
  row.SetValue("ALPHA", " one ");
  row.SetValue(" MID ", "two");
  row.SetValue("none", "x");
  EXPECT_EQ(row[1].Data, "one");  // the first of equal names receives the value
  EXPECT_EQ(row[3].Data, "");
  EXPECT_EQ(row[2].Name, "mid");  // trimmed col name; the index keeps the untrimmed one
  EXPECT_EQ(row[2].Data, "two");
  EXPECT_EQ(row.Find("mid"), nullptr);
  EXPECT_EQ(row.Find("ZETA"), &row[0]);
}

}  // namespace
}  // namespace vorlix::exporter
