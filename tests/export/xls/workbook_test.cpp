// Workbook and sheet records as the exporter writes them, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>

#include "../run_command.h"
#include "app/core/exporter_settings.h"
#include "export/xls/date_formats.h"
#include "export/xls/morvat3_xls.h"
#include "export/xls/workbook_writer.h"
#include "platform/date_time.h"
#include "platform/locale_facts.h"
#include "support/memory_sources.h"
#include "xls_test_support.h"

namespace vorlix::exporter::xls {
namespace {

using test::F64;
using test::ParseRecords;
using test::ReadWorkbookStream;
using test::Record;
using test::TempDir;
using test::U16;
using test::U32;

using Bytes = std::vector<uint8_t>;

class XlsWorkbook : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetFormatSettings(platform::LocaleFacts{}); }

  std::vector<Record> Write(TMorvat3XLS& exporter) {
    exporter.FileName = (dir_ / "book.xls").string();
    exporter.Execute();
    return ParseRecords(ReadWorkbookStream(exporter.FileName));
  }

  // Records of sheet n (0-based), from its BOF to its EOF.
  static std::vector<Record> SheetRecords(const std::vector<Record>& all, int n) {
    int seen = -1;
    std::vector<Record> out;
    for (const Record& r : all) {
      if (r.id == rid::kBof && U16(r.data, 2) == 0x10) ++seen;
      if (seen == n) out.push_back(r);
      if (seen == n && r.id == rid::kEof) break;
    }
    return out;
  }

  static std::vector<Record> Only(const std::vector<Record>& records, uint16_t id) {
    std::vector<Record> out;
    std::copy_if(records.begin(), records.end(), std::back_inserter(out),
                 [&](const Record& r) { return r.id == id; });
    return out;
  }

  // (row, col, xf) of a cell record.
  static std::tuple<int, int, int> Cell(const Record& r) {
    return {U16(r.data, 0), U16(r.data, 2), U16(r.data, 4)};
  }

  static MemoryListView TwoColumnList() {
    MemoryListView list;
    list.AddColumn("User", 220);
    list.AddColumn("Phone", 170);
    return list;
  }

  TempDir dir_;
};

TEST_F(XlsWorkbook, StreamOrderAndBoundSheetPositions) {
  MemoryListView first = TwoColumnList(), second = TwoColumnList();
  first.AddItem("anna", {"1"});
  second.AddItem("bert", {"2"});
  TMorvat3XLS exporter;
  for (MemoryListView* list : {&first, &second}) {
    TxlsSheet& sheet = exporter.Sheets.Add();
    sheet.ExportSource = esListView;
    sheet.ListView = list;
  }
  std::vector<Record> r = Write(exporter);

  const std::vector<uint16_t> head = {0x0809, 0x005C, 0x0042, 0x0161, 0x009C, 0x0019,
                                      0x0012, 0x0013, 0x01AF, 0x01BC, 0x003D, 0x0040,
                                      0x008D, 0x0022, 0x000E, 0x01B7, 0x00DA, 0x0031};
  for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(r[i].id, head[i]) << i;
  EXPECT_EQ(U16(r[0].data, 2), 0x0005);
  EXPECT_EQ(r[1].data.size(), 112u);
  EXPECT_EQ(std::string(r[1].data.begin() + 3, r[1].data.begin() + 15), "Tarlisk 3.36");
  EXPECT_EQ(r[1].data[15], 0x20);
  EXPECT_EQ(U16(r[2].data, 0), 1252);
  EXPECT_EQ(r[10].data,
            (Bytes{120, 0, 120, 0, 0x0C, 0x5D, 0x68, 0x3D, 0x38, 0, 0, 0, 0, 0, 1, 0, 0x58, 0x02}));
  EXPECT_EQ(U16(r[14].data, 0), 1);  // PRECISION

  // After the styles: PALETTE, the sheets' directory, COUNTRY, SST, EXTSST, EOF.
  auto at = [&](uint16_t id) {
    return std::find_if(r.begin(), r.end(), [&](const Record& x) { return x.id == id; }) -
           r.begin();
  };
  const auto palette = at(rid::kPalette);
  EXPECT_EQ(r[palette + 1].id, rid::kBoundSheet);
  EXPECT_EQ(r[palette + 2].id, rid::kBoundSheet);
  EXPECT_EQ(r[palette + 3].id, rid::kCountry);
  EXPECT_EQ(r[palette + 4].id, rid::kSst);
  EXPECT_EQ(r[palette + 5].id, rid::kExtSst);
  EXPECT_EQ(r[palette + 6].id, rid::kEof);
  EXPECT_EQ(r[palette + 7].id, rid::kBof);

  // Each BOUNDSHEET points at its sheet's BOF; the second sheet follows the first's EOF.
  std::vector<Record> bofs;
  for (const Record& x : r)
    if (x.id == rid::kBof && U16(x.data, 2) == 0x10) bofs.push_back(x);
  ASSERT_EQ(bofs.size(), 2u);
  EXPECT_EQ(U32(r[palette + 1].data, 0), bofs[0].offset);
  EXPECT_EQ(U32(r[palette + 2].data, 0), bofs[1].offset);
  EXPECT_EQ(r[palette + 1].data, (Bytes{r[palette + 1].data[0],
                                        r[palette + 1].data[1],
                                        r[palette + 1].data[2],
                                        r[palette + 1].data[3],
                                        0,
                                        0,
                                        7,
                                        1,
                                        'S',
                                        0,
                                        'h',
                                        0,
                                        'e',
                                        0,
                                        'e',
                                        0,
                                        't',
                                        0,
                                        ' ',
                                        0,
                                        '1',
                                        0}));
  std::vector<Record> one = SheetRecords(r, 0);
  EXPECT_EQ(one.back().offset + 4, bofs[1].offset);
}

TEST_F(XlsWorkbook, FinishingInsertsTheGlobalsBlockInFrontOfTheSheets) {
  // The result equals copying the sheets' bytes behind the block, as a plain insertion would.
  XlsStream stream;
  WorkbookWriter book(stream);
  book.WriteGlobalsHead();
  for (int i = 0; i < 2; ++i) {
    book.AddBoundSheet(i, u"S" + std::u16string(1, char16_t(u'1' + i)));
    book.WriteBOF(0x0010);
    book.WriteDimensions();
    book.CurrentSheet().Widen(5, 4);
    book.CurrentSheet().Widen(0, 0);
    book.Sst().AddString(u"text");
    book.WriteEOF();
  }
  std::vector<uint8_t> before = stream.ToBytes();
  const size_t insertAt = book.InsertionPosition();
  const std::vector<uint8_t> block = book.BuildGlobalsBlock();
  book.Finish();
  std::vector<uint8_t> expected(before.begin(), before.begin() + insertAt);
  expected.insert(expected.end(), block.begin(), block.end());
  expected.insert(expected.end(), before.begin() + insertAt, before.end());
  // DIMENSIONS of rows 0 to 5 and columns 0 to 4: (0, 6, 0, 5).
  const Bytes dims = {0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 5, 0, 0, 0};
  for (size_t sheet : {size_t{0}, size_t{1}}) {
    const size_t at = insertAt + block.size() + 4 + 42 * sheet + 20 + 4;
    std::copy(dims.begin(), dims.end(), expected.begin() + at);
  }
  EXPECT_EQ(stream.ToBytes(), expected);
}

TEST_F(XlsWorkbook, SheetHeadCellsAndDimensions) {
  MemoryListView list = TwoColumnList();
  list.AddItem("anna", {"555"});
  list.AddItem("bert", {""});
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  std::vector<Record> s = SheetRecords(Write(exporter), 0);
  const std::vector<uint16_t> expected = {
      0x0809, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002A, 0x002B, 0x0082,
      0x0080, 0x0055, 0x0225, 0x0081, 0x0014, 0x0015, 0x0083, 0x0084, 0x007D, 0x007D,
      0x0200, 0x00FD, 0x00FD, 0x00FD, 0x00FD, 0x00FD, 0x0201, 0x023E, 0x001D, 0x000A};
  EXPECT_EQ(test::Ids(s), expected);
  EXPECT_EQ(F64(s[5].data, 0), 0.001);
  EXPECT_EQ(s[12].data, (Bytes{0, 0, 0xFF, 0}));  // row height 12.75 x 20
  EXPECT_EQ(s[14].data.size(), 0u);               // empty page header
  EXPECT_EQ(s[15].data[0], 13);                   // "Page &P of &N", 8-bit
  EXPECT_EQ(std::string(s[15].data.begin() + 3, s[15].data.end()), "Page &P of &N");
  // 220 pixels are 27 characters: round((27 + 1 + 1/7) x 256) = 7205.
  EXPECT_EQ(s[18].data, (Bytes{0, 0, 0, 0, 0x25, 0x1C, 15, 0, 0, 0, 0}));
  EXPECT_EQ(U16(s[19].data, 4), 5669);  // 170 pixels: 21 characters
  EXPECT_EQ(s[20].data, (Bytes{0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 2, 0, 0, 0}));
  // Captions in XF 17 (bold), data in XF 16; the empty phone is a BLANK.
  std::vector<std::tuple<int, int, int>> cells;
  for (size_t i = 21; i <= 26; ++i) cells.push_back(Cell(s[i]));
  EXPECT_EQ(cells, (std::vector<std::tuple<int, int, int>>{
                       {0, 0, 17}, {0, 1, 17}, {1, 0, 16}, {1, 1, 16}, {2, 0, 16}, {2, 1, 16}}));
  EXPECT_EQ(s[27].data, (Bytes{0xB6, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s[28].data, (Bytes{3, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));

  // A sheet without cells keeps a DIMENSIONS of zeros.
  MemoryListView empty = TwoColumnList();
  exporter.ListView = &empty;
  exporter.AllowCaptions = false;
  std::vector<Record> e = SheetRecords(Write(exporter), 0);
  EXPECT_EQ(Only(e, rid::kDimensions)[0].data, Bytes(14, 0));
}

TEST_F(XlsWorkbook, TypedCellsAndTheEarly1900Rule) {
  MemoryDataSet data;
  data.AddField("d", ftDate);
  data.AddField("n", ftFloat);
  data.AddField("b", ftBoolean);
  data.AddRecord({"1900-01-01", "1.5", "TRUE", "1"});
  data.AddRecord({"1900-03-01", "abc", "no", "2"});
  data.AddRecord({"12:00", "n/a", "", "3"});
  data.SetActive(true);
  TMorvat3XLS exporter;
  exporter.DataSet = &data;
  exporter.AllowCaptions = false;
  exporter.Formats.SetNullString("n/a");
  std::vector<Record> s = SheetRecords(Write(exporter), 0);
  std::vector<Record> numbers = Only(s, rid::kNumber);
  ASSERT_EQ(numbers.size(), 4u);
  EXPECT_EQ(F64(numbers[0].data, 6), 1.0);  // 1 January 1900
  EXPECT_EQ(F64(numbers[1].data, 6), 1.5);
  EXPECT_EQ(F64(numbers[2].data, 6), 61.0);  // 1 March 1900
  EXPECT_EQ(F64(numbers[3].data, 6), 0.0);   // "abc" in a number column
  std::vector<Record> booleans = Only(s, rid::kBoolErr);
  ASSERT_EQ(booleans.size(), 2u);
  EXPECT_EQ(booleans[0].data[6], 1);
  EXPECT_EQ(booleans[1].data[6], 0);
  // The byte after the value marks a Boolean; 1 would make the cell an error value.
  EXPECT_EQ(booleans[0].data[7], 0);
  EXPECT_EQ(booleans[1].data[7], 0);
  // The time alone becomes text in the date format; the null string stays text.
  std::vector<Record> labels = Only(s, rid::kLabelSst);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(Cell(labels[0]), std::make_tuple(2, 0, 16));
  EXPECT_EQ(std::get<1>(Cell(labels[1])), 1);
  std::vector<Record> book = ParseRecords(ReadWorkbookStream(exporter.FileName));
  Record sst = Only(book, rid::kSst)[0];
  EXPECT_EQ(U32(sst.data, 4), 2u);
  EXPECT_EQ(std::string(sst.data.begin() + 11, sst.data.begin() + 31), std::string("1\0"
                                                                                   "8\0"
                                                                                   "9\0"
                                                                                   "9\0"
                                                                                   "-\0"
                                                                                   "1\0"
                                                                                   "2\0"
                                                                                   "-\0"
                                                                                   "3\0"
                                                                                   "0\0",
                                                                                   20));
  EXPECT_EQ(Only(s, rid::kBlank).size(), 1u);  // the empty boolean
}

// The spreadsheet counts a 29 February 1900, so every moment before 1 March 1900 is one day
// lower in its serial numbers; a data set ends at ExportRecCount by the sheet's own count.
TEST_F(XlsWorkbook, EarlyDatesGetTheSpreadsheetsSerialsAndADataSetEndsAtExportRecCount) {
  const std::vector<std::pair<std::string, double>> dates = {
      {"1900-01-01", 1},          {"1900-02-27", 58}, {"1900-02-28", 59},
      {"1900-02-28 12:00", 59.5}, {"1900-03-01", 61}, {"1900-03-01 06:00", 61.25}};
  MemoryDataSet data;
  data.AddField("when", ftDateTime);
  for (const auto& [text, serial] : dates) data.AddRecord({text});
  data.AddRecord({"2000-01-01"});
  data.SetActive(true);
  TMorvat3XLS exporter;
  exporter.DataSet = &data;
  exporter.AllowCaptions = false;
  exporter.ExportRecCount = static_cast<int>(dates.size());
  std::vector<Record> numbers = Only(SheetRecords(Write(exporter), 0), rid::kNumber);
  ASSERT_EQ(numbers.size(), dates.size());
  for (size_t i = 0; i < dates.size(); ++i) {
    EXPECT_EQ(F64(numbers[i].data, 6), dates[i].second) << dates[i].first;
  }
}

TEST_F(XlsWorkbook, HeaderLinesStartColumnAndAutomaticWidths) {
  MemoryListView list;
  list.AddColumn("Code", 40);  // 5 characters
  list.AddItem("0000000000");
  TMorvat3XLS exporter;
  exporter.ExportSource = esListView;
  exporter.ListView = &list;
  exporter.Header = {"A\t\tB", "", "C"};
  exporter.StartDataCol = 2;
  exporter.AutoCalcColWidth = true;
  exporter.Options.PageHeader = "Zo\xC3\xAB";               // Latin-1: 8-bit characters
  exporter.Options.PageFooter = "Zo\xC3\xAB \xE2\x82\xAC";  // the euro sign needs UTF-16
  std::vector<Record> s = SheetRecords(Write(exporter), 0);
  EXPECT_EQ(Only(s, rid::kHeader)[0].data, (Bytes{3, 0, 0, 'Z', 'o', 0xEB}));
  EXPECT_EQ(Only(s, rid::kFooter)[0].data,
            (Bytes{5, 0, 1, 'Z', 0, 'o', 0, 0xEB, 0, ' ', 0, 0xAC, 0x20}));
  std::vector<std::tuple<int, int, int>> cells;
  for (const Record& r : Only(s, rid::kLabelSst)) cells.push_back(Cell(r));
  EXPECT_EQ(cells, (std::vector<std::tuple<int, int, int>>{
                       {0, 0, 16}, {0, 2, 16}, {2, 0, 16}, {3, 2, 17}, {4, 2, 16}}));
  // Ten zeros and an "I" measure 74 pixels, 10.6 zero widths: the column becomes 11 wide.
  Record colinfo = Only(s, rid::kColInfo)[0];
  EXPECT_EQ(U16(colinfo.data, 0), 2);
  EXPECT_EQ(U16(colinfo.data, 4), 11 * 256);
}

TEST_F(XlsWorkbook, AggregateMergedRangesHyperlinksAndExplicitCells) {
  MemoryListView list = TwoColumnList();
  list.AddItem("anna", {"1"});
  list.AddItem("bert", {"2"});
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  TxlsFieldFormat sum;
  sum.FieldName = "phone";
  sum.Aggregate = aggSum;
  exporter.FieldFormats.push_back(sum);
  exporter.MergedCells.push_back({1, 7, 2, 8});
  exporter.MergedCells.push_back({1, 9, 0, 9});  // LastCol 0: not valid
  TxlsHyperlink& url = exporter.Hyperlinks.Add();
  url.Col = 1;
  url.Row = 10;
  url.Title = "Go";
  url.Target = "http://a/";
  url.ScreenTip = "T";
  TxlsHyperlink& file = exporter.Hyperlinks.Add();
  file.Col = 2;
  file.Row = 10;
  file.Title = "F";
  file.Target = "/x";
  file.Style = hlsLocalFile;
  exporter.Hyperlinks.Add() = {257, 1, hlsURL, "http://b/", "wide", "", {}};
  exporter.Hyperlinks.Add() = {3, 1, hlsURL, "", "no target", "", {}};
  TxlsCell a1, unplaced, blank, number;
  a1.Row = a1.Col = 1;
  a1.SetValue(std::string("first"));
  unplaced.Col = 4;
  unplaced.SetValue(std::string("nowhere"));
  blank.Row = 12;
  blank.Col = 1;
  number.SetCellType(ctNumeric);
  number.Row = 12;
  number.Col = 2;
  number.SetValue(2.5);
  exporter.Cells = {a1, unplaced, blank, number};
  std::vector<Record> s = SheetRecords(Write(exporter), 0);

  // SUM over rows 1 to 2 of column B, in the row after the data.
  Record formula = Only(s, rid::kFormula).at(0);
  EXPECT_EQ(formula.data, (Bytes{3, 0, 1,  0, 15,   0, 0, 0, 0, 0, 0,    0, 0,    0,    2, 0, 0, 0,
                                 0, 0, 13, 0, 0x25, 1, 0, 2, 0, 1, 0xC0, 1, 0xC0, 0x42, 1, 4, 0}));
  // Only the valid range is listed.
  EXPECT_EQ(Only(s, rid::kMergedCells).at(0).data, (Bytes{1, 0, 6, 0, 7, 0, 0, 0, 1, 0}));
  // Explicit cells: A1, a BLANK and a NUMBER; the unplaced one is left out.
  std::vector<Record> labels = Only(s, rid::kLabelSst);
  EXPECT_EQ(std::get<0>(Cell(labels[6])), 0);
  EXPECT_EQ(std::get<1>(Cell(labels[6])), 0);
  EXPECT_EQ(Cell(Only(s, rid::kBlank).back()), std::make_tuple(11, 0, 16));
  Record number_ = Only(s, rid::kNumber).at(0);
  EXPECT_EQ(F64(number_.data, 6), 2.5);
  // Two hyperlink labels in blue underlined XF, then their HLINK records.
  ASSERT_EQ(labels.size(), 9u);
  EXPECT_EQ(std::get<0>(Cell(labels[7])), 9);
  EXPECT_EQ(std::get<1>(Cell(labels[8])), 1);
  std::vector<Record> links = Only(s, rid::kHlink);
  ASSERT_EQ(links.size(), 2u);
  const Bytes urlBytes = {9,    0,    9,    0,    0,    0,    0,    0,    0xD0, 0xC9, 0xEA, 0x79,
                          0xF9, 0xBA, 0xCE, 0x11, 0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B,
                          2,    0,    0,    0,    0x17, 0,    0,    0,    3,    0,    0,    0,
                          'G',  0,    'o',  0,    0,    0,    0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA,
                          0xCE, 0x11, 0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B, 20,   0,
                          0,    0,    'h',  0,    't',  0,    't',  0,    'p',  0,    ':',  0,
                          '/',  0,    '/',  0,    'a',  0,    '/',  0,    0,    0};
  EXPECT_EQ(links[0].data, urlBytes);
  EXPECT_EQ(links[0].data.size(), 60u + 2 * (2 + 9));
  const Bytes tip = {0x00, 0x08, 9, 0, 9, 0, 0, 0, 0, 0, 'T', 0, 0, 0};
  EXPECT_EQ(Only(s, rid::kHlinkTooltip).at(0).data, tip);
  // The file link: short path "/x" and its zero, the fixed block, then the UTF-16 path.
  const Bytes& f = links[1].data;
  const size_t moniker = 32 + 4 + 4;  // title "F" and its zero
  EXPECT_EQ(f[moniker], 0x03);
  EXPECT_EQ(U16(f, moniker + 16), 0);
  EXPECT_EQ(U32(f, moniker + 18), 3u);
  EXPECT_EQ(std::string(f.begin() + moniker + 22, f.begin() + moniker + 25),
            std::string("/x\0", 3));
  EXPECT_EQ(U32(f, moniker + 25), 0xDEADFFFFu);
  EXPECT_EQ(U32(f, moniker + 49), 10u);
  EXPECT_EQ(U32(f, moniker + 53), 4u);
  EXPECT_EQ(U16(f, moniker + 57), 3);
  EXPECT_EQ(f.size(), moniker + 63);
  // The used range covers the explicit cells too (row 12), so DIMENSIONS holds every cell.
  EXPECT_EQ(Only(s, rid::kDimensions)[0].data, (Bytes{0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 2, 0, 0, 0}));
}

TEST_F(XlsWorkbook, FileLinkShortPathUsesTheCodePageBytes) {
  MemoryListView list = TwoColumnList();
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  TxlsHyperlink& file = exporter.Hyperlinks.Add();
  file.Col = file.Row = 1;
  file.Title = "F";
  file.Target = "/\u20ACx\u0416";  // the euro sign is on the page, the Cyrillic letter is not
  file.Style = hlsLocalFile;
  const Bytes f = Only(SheetRecords(Write(exporter), 0), rid::kHlink).at(0).data;
  const size_t moniker = 32 + 4 + 4;
  EXPECT_EQ(U32(f, moniker + 18), 5u);
  EXPECT_EQ(Bytes(f.begin() + moniker + 22, f.begin() + moniker + 27),
            (Bytes{'/', 0x80, 'x', '?', 0}));
}

TEST_F(XlsWorkbook, LongHyperlinksAndScreenTipsAreWrittenAsOneRecord) {
  // Record data of 8,221 to 8,224 bytes fits one record; cut after 8,220 bytes it would leave
  // a CONTINUE record of 1 to 4 bytes that readers refuse. A URL link takes 60 bytes and two
  // per character of title and target; a file link 95, two per title and three per path
  // character; a screen tip 12 and two per character.
  MemoryListView list = TwoColumnList();
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  struct Link {
    TxlsHyperlinkStyle style;
    int titleLength, targetLength;
    size_t size;
  };
  const std::vector<Link> links = {{hlsLocalFile, 4060, 2, 8221},
                                   {hlsURL, 4000, 81, 8222},
                                   {hlsLocalFile, 4061, 2, 8223},
                                   {hlsURL, 4000, 82, 8224}};
  test::Sheet expected{{"User", "Phone"}};
  for (size_t i = 0; i < links.size(); ++i) {
    TxlsHyperlink& link = exporter.Hyperlinks.Add();
    link.Row = static_cast<int>(i) + 2;
    link.Col = 1;
    link.Style = links[i].style;
    link.Title = std::string(links[i].titleLength - 1, 't') + std::to_string(i);
    link.Target = (link.Style == hlsURL ? "http://" : "/") +
                  std::string(links[i].targetLength - (link.Style == hlsURL ? 7 : 1), 'x');
    link.ScreenTip = std::string(4104 + i % 2 + (i > 1 ? 1 : 0), 's');  // 8,220 to 8,224 bytes
    expected.push_back({link.Title});
  }
  const std::vector<Record> records = SheetRecords(Write(exporter), 0);
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].id != rid::kHlink && records[i].id != rid::kHlinkTooltip) continue;
    ASSERT_LT(i + 1, records.size());
    EXPECT_NE(records[i + 1].id, rid::kContinue);
  }
  const std::vector<Record> hlinks = Only(records, rid::kHlink);
  ASSERT_EQ(hlinks.size(), links.size());
  for (size_t i = 0; i < links.size(); ++i) EXPECT_EQ(hlinks[i].data.size(), links[i].size);
  std::vector<size_t> tips;
  for (const Record& r : Only(records, rid::kHlinkTooltip)) tips.push_back(r.data.size());
  EXPECT_EQ(tips, (std::vector<size_t>{8220, 8222, 8222, 8224}));
  EXPECT_EQ(test::ReadersDisagree(exporter.FileName, {expected}), "");
}

TEST_F(XlsWorkbook, DateAndTimeFormatsAreWrittenInTheSpreadsheetsSyntax) {
  platform::LocaleFacts facts;  // "yyyy/mm/dd", "hh:nn:ss", "-" between date parts
  platform::SetFormatSettings(facts);
  MemoryDataSet data;
  data.AddField("When", ftDateTime);
  data.AddField("Day", ftDate);
  data.AddRecord({"2024/10/01 06:07:08", "2024/10/02"});
  TMorvat3XLS exporter;
  exporter.ExportSource = esDataSet;
  exporter.DataSet = &data;
  exporter.UserFormats = {"Day=d mmmm yyyy \"(\"ddd\")\""};
  const std::vector<Record> all = Write(exporter);
  std::vector<std::string> formats;
  for (const Record& r : Only(all, rid::kFormat)) {
    std::string text;
    for (size_t i = 5; i + 1 < r.data.size(); i += 2) text += static_cast<char>(U16(r.data, i));
    formats.push_back(text);
  }
  EXPECT_EQ(formats, (std::vector<std::string>{"yyyy-mm-dd hh:mm", "d mmmm yyyy (ddd)"}));

  // A reader shows the cells as the program does.
  const std::string csv = (dir_ / "shown.csv").string();
  ASSERT_EQ(exporter::testing::RunCommand(
                "ssconvert -T Gnumeric_stf:stf_assistant -O 'format=preserve separator=,' '" +
                exporter.FileName + "' '" + csv + "' 2>&1")
                .exitCode,
            0);
  EXPECT_EQ(exporter::testing::RunCommand("cat '" + csv + "'").output,
            "When,Day\n\"2024-10-01 06:07\",\"2 October 2024 (Wed)\"\n");
}

TEST(XlsDateFormats, PicturesBecomeSpreadsheetFormats) {
  platform::LocaleFacts facts;
  facts.shortDateFormat = "dd/mm/yyyy";
  facts.longTimeFormat = "hh:nn:ss";
  facts.shortTimeFormat = "h:nn am/pm";
  facts.dateSeparator = '.';
  facts.timeSeparator = ':';
  EXPECT_EQ(SpreadsheetDateFormat("yyyy/mm/dd hh:nn", facts), "yyyy.mm.dd hh:mm");
  EXPECT_EQ(SpreadsheetDateFormat("c", facts), "dd.mm.yyyy hh:mm:ss");
  EXPECT_EQ(SpreadsheetDateFormat("", facts), "dd.mm.yyyy hh:mm:ss");
  EXPECT_EQ(SpreadsheetDateFormat("ddddd t", facts), "dd.mm.yyyy h:mm AM/PM");
  EXPECT_EQ(SpreadsheetDateFormat("tt.zzz", facts), "hh:mm:ss.000");
  // "m" after an hour is minutes in both syntaxes; otherwise a month.
  EXPECT_EQ(SpreadsheetDateFormat("hh m, mmm", facts), "hh m, mmm");
  // Quoted text stays text; letters outside a token are shown as they are.
  EXPECT_EQ(SpreadsheetDateFormat("'Week' ww \"at\" a/p", facts), "\"Week\" \\w\\w \"at\" A/P");
  facts.dateSeparator = 'x';
  EXPECT_EQ(SpreadsheetDateFormat("yy/m", facts), "yy\\xm");
}

TEST(XlsDateFormats, EveryFieldPrintsAndTranslatesToTheSameField) {
  // Tuesday, 5 March 2024, 19:08:09.045.
  const double when = *platform::EncodeDateTime(2024, 3, 5, 19, 8, 9, 45);
  const platform::LocaleFacts facts;
  struct Row {
    const char* picture;
    const char* printed;
    const char* format;
  };
  for (const Row& row : std::initializer_list<Row>{
           {"yy", "24", "yy"},
           {"yyyy", "2024", "yyyy"},
           {"m", "3", "m"},
           {"mm", "03", "mm"},
           {"mmm", "Mar", "mmm"},
           {"mmmm", "March", "mmmm"},
           {"d", "5", "d"},
           {"dd", "05", "dd"},
           {"ddd", "Tue", "ddd"},
           {"dddd", "Tuesday", "dddd"},
           {"h", "19", "h"},
           {"hh", "19", "hh"},
           {"h:n", "19:8", "h:m"},
           {"hh:nn", "19:08", "hh:mm"},
           {"s", "9", "s"},
           {"ss", "09", "ss"},
           {"zzz", "045", "000"},
           {"h am/pm", "7 PM", "h AM/PM"},
           {"hh a/p", "07 P", "hh A/P"},
       }) {
    SCOPED_TRACE(row.picture);
    EXPECT_EQ(platform::FormatDateTime(row.picture, when, facts), row.printed);
    EXPECT_EQ(SpreadsheetDateFormat(row.picture, facts), row.format);
  }
}

TEST_F(XlsWorkbook, AggregatesCarryTheirResults) {
  // Readers that do not recalculate show the cached result: it must be the aggregate itself.
  MemoryDataSet data;
  for (const char* name : {"s", "a", "lo", "hi", "none"}) data.AddField(name, ftFloat);
  data.AddRecord({"1.5", "1.5", "1.5", "1.5", ""});
  data.AddRecord({"4", "4", "4", "4", ""});
  data.AddRecord({"-2", "-2", "-2", "-2", ""});
  data.SetActive(true);
  TMorvat3XLS exporter;
  exporter.DataSet = &data;
  auto aggregate = [&](const char* name, TxlsAggregate kind) {
    TxlsFieldFormat format;
    format.FieldName = name;
    format.Aggregate = kind;
    exporter.FieldFormats.push_back(format);
  };
  aggregate("s", aggSum);
  aggregate("a", aggAvg);
  aggregate("lo", aggMin);
  aggregate("hi", aggMax);
  std::vector<Record> formulas = Only(SheetRecords(Write(exporter), 0), rid::kFormula);
  ASSERT_EQ(formulas.size(), 4u);
  EXPECT_EQ(F64(formulas[0].data, 6), 3.5);
  EXPECT_EQ(F64(formulas[1].data, 6), 3.5 / 3);
  EXPECT_EQ(F64(formulas[2].data, 6), -2.0);
  EXPECT_EQ(F64(formulas[3].data, 6), 4.0);
  EXPECT_EQ(test::ReadersDisagree(exporter.FileName, {{{"s", "a", "lo", "hi", "none"},
                                                       {"1.5", "1.5", "1.5", "1.5"},
                                                       {"4", "4", "4", "4"},
                                                       {"-2", "-2", "-2", "-2"},
                                                       {"3.5", "1.1666666666666667", "-2", "4"}}}),
            "");

  // The average of no numbers is the error #DIV/0!.
  aggregate("none", aggAvg);
  formulas = Only(SheetRecords(Write(exporter), 0), rid::kFormula);
  ASSERT_EQ(formulas.size(), 5u);
  EXPECT_EQ(Bytes(formulas[4].data.begin() + 6, formulas[4].data.begin() + 14),
            (Bytes{2, 0, 7, 0, 0, 0, 0xFF, 0xFF}));
}

TEST_F(XlsWorkbook, StripStylesAndDataParams) {
  MemoryListView list = TwoColumnList();
  for (const char* name : {"a", "b", "c"}) list.AddItem(name, {"1"});
  TMorvat3XLS exporter;
  core::ConfigureAsMainWindowXlsExporter(exporter, &list);
  exporter.AllowCaptions = false;
  exporter.StripType = ssRow;
  exporter.StripStyles.resize(2);
  exporter.StripStyles[0].Fill = {clrYellow, ptSolid, clrBlack};
  exporter.StripStyles[1].Fill = {clrSkyBlue, ptSolid, clrBlack};
  std::vector<std::tuple<int, int, int>> cells;
  for (const Record& r : Only(SheetRecords(Write(exporter), 0), rid::kLabelSst))
    cells.push_back(Cell(r));
  // Rows alternate between the two strips; the columns of one strip share its fill.
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(std::get<2>(cells[0]), std::get<2>(cells[4]));
  EXPECT_NE(std::get<2>(cells[0]), std::get<2>(cells[2]));
  EXPECT_EQ(std::get<2>(cells[1]), std::get<2>(cells[5]));

  // OnGetDataParams may give a cell a number format: a new XF with FORMAT 50.
  exporter.StripType = ssNone;
  exporter.OnGetDataParams = [](TxlsSheet&, int, int col, int row, TxlsFormat&,
                                std::string& formatString) {
    if (col == 1 && row == 1) formatString = "0.00";
  };
  std::vector<Record> book = Write(exporter);
  std::vector<Record> labels = Only(SheetRecords(book, 0), rid::kLabelSst);
  const int special = std::get<2>(Cell(labels[3]));
  EXPECT_NE(special, std::get<2>(Cell(labels[1])));
  EXPECT_EQ(U16(Only(book, rid::kFormat).at(0).data, 0), 50);
}

TEST_F(XlsWorkbook, ARunLeavesItsSheetsAsTheyWereSoTheNextRunWritesTheSameBook) {
  // The writer keeps the rows, styles, widths and totals of a run; nothing of one run may
  // reach the next through the sheets.
  MemoryListView list = TwoColumnList();
  for (const char* name : {"a much longer member name", "b", "c"}) list.AddItem(name, {"12"});
  TMorvat3XLS exporter;
  for (TxlsStripType strips : {ssNone, ssRow}) {
    TxlsSheet& sheet = exporter.Sheets.Add();
    sheet.ExportSource = esListView;
    sheet.ListView = &list;
    sheet.AutoCalcColWidth = true;
    sheet.StripType = strips;
    sheet.StripStyles.resize(2);
    sheet.StripStyles[1].Font.Style = xfsBold;
    sheet.Header.Add("head");
    TxlsFieldFormat sum;
    sum.FieldName = "Phone";
    sum.Aggregate = aggSum;
    sheet.FieldFormats.push_back(sum);
  }
  exporter.FileName = (dir_ / "first.xls").string();
  exporter.Execute();
  exporter.FileName = (dir_ / "second.xls").string();
  exporter.Execute();
  EXPECT_EQ(ReadWorkbookStream(dir_ / "first.xls"), ReadWorkbookStream(dir_ / "second.xls"));
}

TEST(XlsCellValues, ConversionsToTheCellType) {
  platform::SetFormatSettings(platform::LocaleFacts{});
  TxlsCell cell;
  cell.SetValue(2.5);
  EXPECT_EQ(cell.AsText(), "2.5");
  cell.SetCellType(ctNumeric);
  EXPECT_EQ(cell.AsNumber(), 2.5);
  cell.SetValue(std::string("abc"));
  EXPECT_EQ(cell.AsNumber(), 0.0);
  cell.SetCellType(ctBoolean);
  cell.SetValue(std::string("TRUE"));
  EXPECT_TRUE(cell.AsBoolean());
  cell.SetValue(std::string("maybe"));
  EXPECT_FALSE(cell.AsBoolean());
  cell.SetCellType(ctDateTime);
  cell.SetValue(std::string("1900-03-01"));
  EXPECT_EQ(cell.AsNumber(), 61.0);  // no early-1900 adjustment for explicit cells
  EXPECT_FALSE(cell.IsValid());
}

}  // namespace
}  // namespace vorlix::exporter::xls
