#include "export/pdf/morvat3_pdf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "app/core/exporter_settings.h"
#include "export/pdf/font_encodings.h"
#include "export/pdf/pdf_text.h"
#include "pdf_test_tools.h"
#include "support/member_table.h"
#include "support/memory_sources.h"

namespace vorlix::exporter::pdf {
namespace {

using testing::PdfPageCount;
using testing::PdfText;
using testing::QpdfProblems;
using testing::TempPdf;
using testing::WriteFileBytes;

// The member table of a group lookup: five columns as wide as the window shows them.
MemoryListView MemberTable(int rows) {
  MemoryListView table;
  exporter::testing::AddMemberColumns(table, exporter::testing::kWindowCaptions);
  for (int i = 0; i < rows; ++i)
    exporter::testing::AddMemberRow(table, "user" + std::to_string(i),
                                    "555-" + std::to_string(1000 + i));
  return table;
}

std::string Export(TMorvat3PDF& exporter) {
  MorvatMemoryStream stream;
  exporter.ExportToStream(stream);
  return stream.Data();
}

// The content streams of the file, in page order.
std::vector<std::string> PageContents(const std::string& pdf) {
  std::vector<std::string> pages;
  for (std::size_t at = pdf.find("stream\r\n"); at != std::string::npos;
       at = pdf.find("stream\r\n", at + 1)) {
    const std::size_t begin = at + 8;
    pages.push_back(pdf.substr(begin, pdf.find("endstream", begin) - begin));
  }
  return pages;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Writes the bytes to a file and checks it with qpdf; returns the text pdftotext finds.
std::string CheckedText(const std::string& pdf, const std::string& stem) {
  TempPdf file(stem);
  WriteFileBytes(file.Path(), pdf);
  EXPECT_EQ(QpdfProblems(file.Path()), "") << stem;
  return PdfText(file.Path());
}

class PdfExport : public ::testing::Test {
 protected:
  void Configure(int rows) {
    table = MemberTable(rows);
    core::ConfigureAsMainWindowPdfExporter(exporter, &table);
  }
  MemoryListView table;
  TMorvat3PDF exporter;
};

TEST(PdfPageOptions, UnitsFormatsAndOrientation) {
  TMorvatPDFPageOptions page;
  EXPECT_EQ(page.Format(), pfA4);
  EXPECT_EQ(page.PageBox(), (TPDFBox{0, 0, 594, 841}));
  EXPECT_DOUBLE_EQ(page.MarginLeft(), 1.18);  // 85 points
  EXPECT_EQ(page.ContentBox(), (TPDFBox{85, 57, 552, 784}));
  EXPECT_DOUBLE_EQ(page.Width(), 8.26);

  page.SetUnits(unMillimeter);  // converts nothing
  EXPECT_DOUBLE_EQ(page.MarginLeft(), 30);
  page.SetMarginRight(10);  // 28.35 points
  page.SetUnits(unDot);
  EXPECT_DOUBLE_EQ(page.MarginRight(), 28);
  page.SetHeight(700.5);  // halves to even
  EXPECT_EQ(page.Format(), pfUser);
  EXPECT_DOUBLE_EQ(page.Height(), 700);
  page.SetFormat(pfLegal);
  EXPECT_EQ(page.PageBox(), (TPDFBox{0, 0, 611, 1007}));

  page.SetUnits(unInch);
  page.SetFormat(pfA4);
  page.SetMarginLeft(1);
  page.SetMarginRight(2);
  page.SetMarginTop(3);
  page.SetMarginBottom(4);
  page.SetOrientation(poLandscape);
  EXPECT_EQ(page.PageBox(), (TPDFBox{0, 0, 841, 594}));
  EXPECT_DOUBLE_EQ(page.MarginLeft(), 4);
  EXPECT_DOUBLE_EQ(page.MarginRight(), 3);
  EXPECT_DOUBLE_EQ(page.MarginTop(), 1);
  EXPECT_DOUBLE_EQ(page.MarginBottom(), 2);
  page.SetOrientation(poLandscape);  // unchanged: nothing turns
  EXPECT_DOUBLE_EQ(page.MarginLeft(), 4);
  // A format sets the portrait size whatever the orientation.
  page.SetFormat(pfA5);
  EXPECT_EQ(page.PageBox(), (TPDFBox{0, 0, 419, 594}));
  page.SetOrientation(poPortrait);
  EXPECT_EQ(page.PageBox(), (TPDFBox{0, 0, 594, 419}));
  EXPECT_DOUBLE_EQ(page.MarginLeft(), 1);
  EXPECT_DOUBLE_EQ(page.MarginRight(), 2);
  EXPECT_DOUBLE_EQ(page.MarginTop(), 3);
  EXPECT_DOUBLE_EQ(page.MarginBottom(), 4);
}

TEST(PdfText, CodePageAndEscapes) {
  EXPECT_EQ(WinAnsiFromUtf8("J\xc3\xbcrgen \xe2\x82\xac"), "J\xfcrgen \x80");
  EXPECT_EQ(WinAnsiFromUtf8("\xe4\xb8\xad"), "?");       // not in the code page
  EXPECT_EQ(WinAnsiFromUtf8("M\xfcller"), "M\xfcller");  // 8-bit text passes
  EXPECT_EQ(WinAnsiFromUtf8("\xc3"), "\xc3");            // cut sequence
  EXPECT_EQ(EscapeStringDelimiters("a(b))\rc\\"), "a\\(b\\)\\)\\rc\\");
  EXPECT_EQ(DoubleBackslashes("\\a\\\\"), "\\\\a\\\\\\\\");
  TMorvat3PDF exporter;
  EXPECT_EQ(exporter.NormalizeText("C:\\temp"), "C:\\\\temp");
  EXPECT_EQ(exporter.SpecialCharacters(), "\\");
}

TEST_F(PdfExport, MemberTableLayout) {
  Configure(2);
  const std::string pdf = Export(exporter);
  EXPECT_EQ(exporter.Boundaries(), (std::vector<int>{84, 229, 345, 437, 505, 582}));
  EXPECT_NE(pdf.find("/MediaBox [0 0 594 841]\r/TrimBox [84 56 552 785]\r"), std::string::npos);

  const std::string page = PageContents(pdf).at(0);
  const std::string rule = "84.0 %s m \r582.0 %s l \r0.0 w \rS\r";
  const auto hline = [&](const char* y) { return std::regex_replace(rule, std::regex("%s"), y); };
  // Caption: rule at the top of the box, baseline 15 lower, lower rule 5 below that;
  // every text 7 points right of its boundary.
  EXPECT_EQ(page.find("0.00 0.00 0.00 RG\r" + hline("785.0") +
                      "BT\r/CaptionFont 10 Tf\r91 770 Td (User) Tj\rET\r"
                      "BT\r/CaptionFont 10 Tf\r236 770 Td (Phone) Tj\rET\r"),
            0u);
  EXPECT_NE(page.find("/CaptionFont 10 Tf\r512 770 Td ( ) Tj\rET\r" + hline("765.0")),
            std::string::npos);
  // Rows take 20 points: baselines 750 and 730, rules 745 and 725.
  EXPECT_NE(page.find("/DataFont 10 Tf\r91 750 Td (user0) Tj\r"), std::string::npos);
  EXPECT_NE(page.find("/DataFont 10 Tf\r236 750 Td (555-1000) Tj\r"), std::string::npos);
  EXPECT_NE(page.find(hline("745.0") + "BT\r/DataFont 10 Tf\r91 730 Td (user1) Tj\r"),
            std::string::npos);
  // The block closes with vertical rules at every boundary, from the top rule to the last.
  EXPECT_NE(page.find(hline("725.0") + "84.0 785.0 m \r84.0 725.0 l \r0.0 w \rS\r229.0 785.0 m \r"),
            std::string::npos);
  EXPECT_NE(page.find("582.0 785.0 m \r582.0 725.0 l \r0.0 w \rS\r"), std::string::npos);
  EXPECT_EQ(exporter.CurrentY(), 725);

  const std::string text = CheckedText(pdf, "member-table");
  EXPECT_NE(text.find("User Phone"), std::string::npos);
  EXPECT_NE(text.find("user1 555-1001"), std::string::npos);
}

TEST_F(PdfExport, RowsBreakToNewPagesWithTheirOwnRules) {
  Configure(72);
  exporter.Options.GridLineWidth = 2;
  const std::string pdf = Export(exporter);
  const auto pages = PageContents(pdf);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(Count(pages[0], "Td (user"), 35u);
  EXPECT_EQ(Count(pages[1], "Td (user"), 36u);
  EXPECT_EQ(Count(pages[2], "Td (user"), 1u);
  // Page 1 closes its block at the last row; vertical rules reach half a line beyond both ends.
  EXPECT_NE(pages[0].find("84.0 786.0 m \r84.0 64.0 l \r2.0 w \rS\r"), std::string::npos);
  // A further page starts with the colours and a rule at the top of the box.
  EXPECT_EQ(pages[1].find(
                "0.00 0.00 0.00 rg\r0.00 0.00 0.00 RG\r84.0 785.0 m \r582.0 785.0 l \r2.0 w \rS\r"
                "BT\r/DataFont 10 Tf\r91 770 Td (user35) Tj\r"),
            0u);
  EXPECT_NE(pages[2].find("84.0 786.0 m \r84.0 764.0 l \r"), std::string::npos);
  EXPECT_NE(pdf.find("/Count 3\r"), std::string::npos);
  CheckedText(pdf, "three-pages");
}

TEST_F(PdfExport, CellParamsSetBackgroundColourAndAlignment) {
  Configure(1);
  exporter.ColumnsAlign.Add("Phone=right");
  exporter.ColumnsWidth.Add("User=20");
  exporter.Options.GridLineWidth = 1;
  std::vector<std::string> seen;
  exporter.OnGetCellParams = [&](TMorvat3PDF&, int recNo, int colNo, const std::string& value,
                                 TMorvatColAlign& align, TPDFFont& font, TColor& background) {
    seen.push_back(std::to_string(recNo) + "/" + std::to_string(colNo) + "=" + value);
    if (colNo == 0) {
      background = clRed;
      align = ecaCenter;
    }
    if (colNo == 2) background = clWhite;
    if (colNo == 3) font.FontColor = clBlue;
  };
  const std::string pdf = Export(exporter);
  EXPECT_EQ(seen, (std::vector<std::string>{"0/0=user0", "0/1=555-1000", "0/2=", "0/3=", "0/4="}));
  // 20 + 3 characters make the first column 111 points wide.
  EXPECT_EQ(exporter.Boundaries()[1], 195);
  const std::string page = PageContents(pdf).at(0);
  // Red only under the first cell: from the row's rule, the row's height less half a line.
  EXPECT_NE(page.find("1.00 0.00 0.00 rg\r84.0 745.0 111.0 19.5 re f\r0.00 0.00 0.00 rg\r"),
            std::string::npos);
  EXPECT_EQ(Count(page, " re f\r"), 1u);
  // Centred: 7 + (97 - 25) / 2 = 43 right of the boundary. Right: 7 + 42 left of the next.
  EXPECT_NE(page.find("127 750 Td (user0) Tj"), std::string::npos);
  EXPECT_NE(page.find("262 750 Td (555-1000) Tj"), std::string::npos);
  EXPECT_NE(
      page.find(
          "0.00 0.00 1.00 rg\rBT\r/DataFont 10 Tf\r410 750 Td () Tj\rET\r0.00 0.00 0.00 rg\r"),
      std::string::npos);
  CheckedText(pdf, "cell-params");
}

TEST_F(PdfExport, DelimitersAndBackslashesShowAsTheyAre) {
  Configure(0);
  // The three unnamed columns share one name, so only the first two columns carry values.
  table.AddItem("a(b)c", {"(open", "", "", ""});
  table.AddItem("close)", {"C:\\temp\\", "", "", ""});
  table.AddItem("\\(x", {"))((", "", "", ""});
  table.AddItem("J\xc3\xbcrgen", {"", "", "", ""});
  exporter.Captions.Add("User=Name (full)");
  exporter.Header.Add("Header \\ (left");
  exporter.Footer.Add("Footer) \\");
  const std::string pdf = Export(exporter);
  EXPECT_NE(pdf.find("(a\\(b\\)c) Tj"), std::string::npos);
  EXPECT_NE(pdf.find("(C:\\\\temp\\\\) Tj"), std::string::npos);
  EXPECT_NE(pdf.find("(\\\\\\(x) Tj"), std::string::npos);
  EXPECT_NE(pdf.find("(Name \\(full\\)) Tj"), std::string::npos);
  EXPECT_NE(pdf.find("(Header \\\\ \\(left) Tj"), std::string::npos);
  const std::string text = CheckedText(pdf, "delimiters");
  for (const char* shown : {"a(b)c", "(open", "close)", "C:\\temp\\", "\\(x", "))((",
                            "J\xc3\xbcrgen", "Name (full)", "Header \\ (left", "Footer) \\"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown;
}

TEST_F(PdfExport, EmptyTableGivesOnePageWithCaptionRules) {
  Configure(0);
  const std::string pdf = Export(exporter);
  const auto pages = PageContents(pdf);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(Count(pages[0], " m \r"), 2u + 6u);  // two caption rules, six vertical rules
  EXPECT_NE(pages[0].find("84.0 785.0 m \r84.0 765.0 l \r"), std::string::npos);
  EXPECT_NE(CheckedText(pdf, "empty").find("User Phone"), std::string::npos);
}

TEST_F(PdfExport, ThousandRowsFileIsReadAndPaged) {
  Configure(1000);
  TempPdf file("thousand");
  exporter.FileName = file.Path();
  exporter.Execute();
  EXPECT_EQ(QpdfProblems(file.Path()), "");
  EXPECT_EQ(PdfPageCount(file.Path()), 28);  // 35 + 27 x 36 >= 1000
  const std::string text = PdfText(file.Path());
  EXPECT_NE(text.find("user0 555-1000"), std::string::npos);
  EXPECT_NE(text.find("user999 555-1999"), std::string::npos);
}

TEST_F(PdfExport, HeaderAndFooterLinesFrameTheTable) {
  Configure(1);
  exporter.Header.Add("Members of staff");
  exporter.Header.Add("Printed today");
  exporter.Footer.Add("1 member");
  const std::string pdf = Export(exporter);
  const std::string page = PageContents(pdf).at(0);
  // Header baselines 770 and 755, then half a line: the grid starts at 750.
  EXPECT_NE(page.find("/HeaderFont 10 Tf\r84 770 Td (Members of staff) Tj\r"), std::string::npos);
  EXPECT_NE(page.find("/HeaderFont 10 Tf\r84 755 Td (Printed today) Tj\rET\r84.0 750.0 m \r"),
            std::string::npos);
  EXPECT_NE(page.find("84.0 750.0 m \r84.0 710.0 l \r"), std::string::npos);
  // The footer follows the last rule (710) by a line.
  EXPECT_NE(page.find("/FooterFont 10 Tf\r84 695 Td (1 member) Tj\r"), std::string::npos);
  const std::string text = CheckedText(pdf, "header-footer");
  EXPECT_LT(text.find("Printed today"), text.find("User"));
  EXPECT_LT(text.find("user0"), text.find("1 member"));
}

TEST_F(PdfExport, FooterThatOverflowsStartsAPageInItsColour) {
  // The data colour is set when page 2 starts; page 2 ends at y 85, room for one footer line.
  Configure(70);
  exporter.Options.DataFont.FontColor = clBlue;
  exporter.Options.FooterFont.FontColor = clBlue;
  exporter.Footer.Add("first");
  exporter.Footer.Add("second");
  const std::string pdf = Export(exporter);
  const auto pages = PageContents(pdf);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_NE(pages[1].find("84 70 Td (first) Tj"), std::string::npos);
  EXPECT_EQ(
      pages[2].find(
          "0.00 0.00 1.00 rg\r0.00 0.00 0.00 RG\rBT\r/FooterFont 10 Tf\r84 770 Td (second) Tj"),
      0u);
  CheckedText(pdf, "footer-overflow");
}

TEST_F(PdfExport, LandscapeAndFontErrors) {
  Configure(1);
  exporter.Options.PageOptions.SetOrientation(poLandscape);
  std::string pdf = Export(exporter);
  // Landscape A4: left margin from the old bottom (56), top from the old left (84).
  EXPECT_NE(pdf.find("/MediaBox [0 0 841 594]\r/TrimBox [56 42 785 510]\r"), std::string::npos);
  EXPECT_NE(pdf.find("63 495 Td (User) Tj"), std::string::npos);
  CheckedText(pdf, "landscape");

  exporter.Options.FooterFont.Name = "datafont";
  try {
    Export(exporter);
    FAIL() << "no error";
  } catch (const EMorvatError& e) {
    EXPECT_STREQ(e.what(), "Font datafont already exists");
  }
}

TEST(PdfText, EachFontEncodingHasItsOwnCodes) {
  using E = TPDFFontEncoding;
  // Ä, the right single quote, the apostrophe and ß in the three encodings.
  const std::string text = "\xc3\x84\xe2\x80\x99'\xc3\x9f";
  EXPECT_EQ(TextForEncoding(text, E::poWinAnsiEncoding), "\xc4\x92'\xdf");
  EXPECT_EQ(TextForEncoding(text, E::poMacRomanEncoding), "\x80\xd5'\xa7");
  EXPECT_EQ(TextForEncoding(text, E::poStandardEncoding), "?'\xa9\xfb");
  // What an encoding lacks becomes "?": the euro sign outside WinAnsi, the grave accent of
  // ASCII moves in StandardEncoding, 8-bit text is read as Windows-1252 first.
  EXPECT_EQ(TextForEncoding("\xe2\x82\xac`", E::poMacRomanEncoding), "?`");
  EXPECT_EQ(TextForEncoding("\xe2\x82\xac`", E::poStandardEncoding), "?\xc1");
  EXPECT_EQ(TextForEncoding("M\xfcller", E::poMacRomanEncoding), "M\x9fller");
  EXPECT_EQ(TextForEncoding("plain", E::poStandardEncoding), "plain");
}

TEST_F(PdfExport, TextIsWrittenInTheEncodingEachFontDeclares) {
  Configure(0);
  table.AddItem("\xc3\x84rger \xc3\xa9t\xc3\xa9 \xc3\x9f \xc3\xb1 \xc5\x93uvre \xe2\x80\x93",
                {"", "", "", ""});
  exporter.Captions.Add(
      "User=it's \xe2\x80\x98q\xe2\x80\x99 \xc3\x86 \xc5\x81\xc3\xb3"
      "dz `x`");
  exporter.Header.Add("J\xc3\xbcrgen \xe2\x82\xac 5");
  exporter.Options.DataFont.FontEncoding = TPDFFontEncoding::poMacRomanEncoding;
  exporter.Options.CaptionFont.FontEncoding = TPDFFontEncoding::poStandardEncoding;
  const std::string pdf = Export(exporter);
  EXPECT_NE(pdf.find("/Name /DataFont\r/BaseFont /Helvetica\r/Encoding /MacRomanEncoding\r"),
            std::string::npos);
  const std::string text = CheckedText(pdf, "encodings");
  for (const char* shown :
       {"\xc3\x84rger \xc3\xa9t\xc3\xa9 \xc3\x9f \xc3\xb1 \xc5\x93uvre \xe2\x80\x93",
        "it's \xe2\x80\x98q\xe2\x80\x99 \xc3\x86 \xc5\x81?dz `x`", "J\xc3\xbcrgen \xe2\x82\xac 5"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
}

TEST_F(PdfExport, ARowBreaksToANewPageWhenLessThanItsHeightIsLeft) {
  // The program's page: 35 rows end at y 65. A bottom margin that leaves 15 to 19 points
  // there (the row's text needs 15, the whole row 20) moves row 36 to the next page; one that
  // leaves 20 keeps it.
  for (int left = 15; left <= 20; ++left) {
    SCOPED_TRACE(left);
    Configure(36);
    exporter.Options.PageOptions.SetUnits(unDot);
    exporter.Options.PageOptions.SetMarginBottom(65 - left);
    const auto pages = PageContents(Export(exporter));
    ASSERT_EQ(pages.size(), left < 20 ? 2u : 1u);
    EXPECT_EQ(Count(pages[0], "Td (user"), left < 20 ? 35u : 36u);
  }
}

TEST_F(PdfExport, ACarriageReturnIsEscapedAlsoWithoutParentheses) {
  Configure(0);
  table.AddItem("one\rtwo", {"", "", "", ""});
  const std::string pdf = Export(exporter);
  EXPECT_NE(pdf.find("(one\\rtwo) Tj"), std::string::npos);
  EXPECT_EQ(pdf.find("one\rtwo"), std::string::npos);
}

TEST_F(PdfExport, AFailedOrAbortedRunKeepsTheOldFile) {
  Configure(3);
  TempPdf file("kept");
  WriteFileBytes(file.Path(), "old");
  exporter.FileName = file.Path();
  auto content = [&] {
    std::ifstream in(file.Path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  exporter.OnExportedRecord = [](TMorvat3& sender, int) { sender.Abort(); };
  exporter.Execute();
  EXPECT_EQ(content(), "old");
  exporter.OnExportedRecord = nullptr;
  exporter.Options.FooterFont.Name = "DataFont";
  EXPECT_THROW(exporter.Execute(), EMorvatError);
  EXPECT_EQ(content(), "old");
}

}  // namespace
}  // namespace vorlix::exporter::pdf
