#include "export/pdf/pdf_document.h"

#include <gtest/gtest.h>

#include <clocale>
#include <numeric>
#include <regex>
#include <string>

#include "export/pdf/pdf_template.h"
#include "export/pdf/pdf_widths.h"
#include "pdf_test_tools.h"
#include "platform/locale_facts.h"

namespace vorlix::exporter::pdf {
namespace {

using testing::PdfText;
using testing::QpdfProblems;
using testing::TempPdf;
using testing::WriteFileBytes;

// The four fonts the exporter registers, in its order.
std::vector<TPDFFont> FourFonts() {
  return {TPDFFont("DataFont"), TPDFFont("CaptionFont"), TPDFFont("HeaderFont"),
          TPDFFont("FooterFont")};
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(PdfMeasure, WidthsFollowTheTable) {
  EXPECT_EQ(std::accumulate(kCharWidths.begin(), kCharWidths.end(), 0), kCharWidthSum);
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  EXPECT_EQ(doc.TextWidth("AB", 10), 13);
  EXPECT_EQ(doc.CharsWidth(10, 30), 145);
  EXPECT_EQ(doc.TextWidth("", 10), 0);
  EXPECT_EQ(doc.CharsWidth(10, 1.5), 7);
  // 8-bit codes index the table unsigned: code 255 is 278 wide.
  EXPECT_EQ(doc.TextWidth("\xff\xff", 100), 56);
  // Rounding: 2.75 -> 3; halves go to the even neighbour, 2.5 -> 2 and 3.5 -> 4.
  EXPECT_EQ(doc.TextWidth(" ", 10), 3);
  EXPECT_EQ(doc.TextWidth("a", 5), 2);
  EXPECT_EQ(doc.TextWidth("a", 7), 4);
  // The widths text lists all 256 values, each followed by one blank.
  const std::string& widths = WidthsText();
  EXPECT_EQ(Count(widths, " "), 256u);
  EXPECT_EQ(widths.substr(0, 8), "300 300 ");
  EXPECT_EQ(widths.substr(widths.size() - 4), "278 ");
}

TEST(PdfTemplate, NumbersAreWrittenWithAPointAndFixedDigits) {
  std::string out;
  AppendTemplate(out, "%d|%10.10d|%.1f|%f|%s|%%", {-7, std::int64_t{1234}, 84.25, 1.0 / 255, "x"});
  EXPECT_EQ(out, "-7|0000001234|84.2|0.00|x|%");
  out.clear();
  AppendTemplate(out, "%.1f %.1f %f", {0.0, 782.5, 1.0});
  EXPECT_EQ(out, "0.0 782.5 1.00");
  EXPECT_THROW(AppendTemplate(out, "%d %d", {1}), std::logic_error);
  EXPECT_THROW(AppendTemplate(out, "%d", {"text"}), std::logic_error);
  EXPECT_THROW(AppendTemplate(out, "%x", {1}), std::logic_error);
}

TEST(PdfDocument, ConstructionMakesThePointTheProgramsDecimalSeparator) {
  const platform::LocaleFacts saved = platform::FormatSettings();
  platform::FormatSettings().decimalSeparator = ',';
  const std::string cLocale = std::setlocale(LC_NUMERIC, nullptr);
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  EXPECT_EQ(platform::FormatSettings().decimalSeparator, '.');
  EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), cLocale);
  platform::SetFormatSettings(saved);
}

TEST(PdfDocument, ColoursAreBracketedOnlyWhenTheyDiffer) {
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  doc.BeginDoc();
  TPDFFont font("F1");
  doc.SetFont(font);
  doc.NewPage();
  doc.TextOut(10, 20, clRed, "red");
  doc.TextOut(10, 40, clBlack, "black");
  doc.DrawLine(clBlue, 1, 2, 3.25, 4);
  doc.FillRect(clRed, 1, 2, 3, 4.5);
  doc.EndDoc();
  const std::string pdf = out.Data();
  const std::string body = pdf.substr(pdf.find("stream\r\n") + 8);
  EXPECT_EQ(body.substr(0, body.find("endstream")),
            "1.00 0.00 0.00 rg\r"
            "BT\r/F1 10 Tf\r10 20 Td (red) Tj\rET\r"
            "0.00 0.00 0.00 rg\r"
            "BT\r/F1 10 Tf\r10 40 Td (black) Tj\rET\r"
            "0.00 0.00 1.00 RG\r"
            "1.0 2.0 m \r3.2 4.0 l \r1.0 w \rS\r"
            "0.00 0.00 0.00 RG\r"
            "1.00 0.00 0.00 rg\r"
            "1.0 2.0 3.0 4.5 re f\r"
            "0.00 0.00 0.00 rg\r");
  EXPECT_EQ(doc.FillColor(), clBlack);
  EXPECT_EQ(doc.LineColor(), clBlack);
}

TEST(PdfDocument, SetColourWritesEvenWhenUnchangedAndReturnsThePrevious) {
  MorvatMemoryStream out;
  {
    TPDFDocument doc(out);
    doc.BeginDoc();
    doc.NewPage();
    EXPECT_EQ(doc.SetLineColor(clBlack), clBlack);
    EXPECT_EQ(doc.SetLineColor(clGreen), clBlack);
    EXPECT_EQ(doc.SetFillColor(TColor{51, 102, 255}), clBlack);
    EXPECT_EQ(doc.LineColor(), clGreen);
  }  // what the document buffered reaches the stream when it is destroyed
  const std::string s = out.Data();
  EXPECT_NE(s.find("0.00 0.00 0.00 RG\r0.00 0.50 0.00 RG\r0.20 0.40 1.00 rg\r"), std::string::npos);
}

TEST(PdfDocument, OnePageDocumentIsNumberedAndCrossReferenced) {
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  doc.BeginDoc();
  const auto fonts = FourFonts();
  doc.NewPage();
  for (const auto& f : fonts) doc.AddFont(f);
  doc.SetMediaBox({0, 0, 594, 841});
  doc.SetTrimBox({84, 56, 552, 785});
  doc.EndPage();
  doc.EndPage();  // a second close writes nothing
  doc.EndDoc();
  const std::string pdf = out.Data();

  EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.3\r");
  EXPECT_EQ(pdf.substr(pdf.size() - 5), "%%EOF");
  EXPECT_EQ(Count(pdf, "endstream"), 1u);
  // An empty page still has its content stream, of length 0.
  EXPECT_NE(
      pdf.find("1 0 obj\r<< /Length 2 0 R >>\rstream\r\nendstream\rendobj\r2 0 obj\r0 \rendobj\r"),
      std::string::npos);
  EXPECT_NE(pdf.find("3 0 obj\r<< /Type /Outlines\r/Count 0\r>>\rendobj\r"), std::string::npos);
  EXPECT_NE(
      pdf.find("4 0 obj\r<< /Type /Font\r/Subtype /Type1\r/Name /DataFont\r/BaseFont /Helvetica\r"
               "/Encoding /WinAnsiEncoding\r/FirstChar 0\r/LastChar 255\r/Widths [300 "),
      std::string::npos);
  EXPECT_NE(pdf.find("7 0 obj\r<< /Type /Font\r/Subtype /Type1\r/Name /FooterFont\r"),
            std::string::npos);
  EXPECT_NE(pdf.find("8 0 obj\r<< /Font <</DataFont 4 0 R /CaptionFont 5 0 R /HeaderFont 6 0 R "
                     "/FooterFont 7 0 R  >> /ProcSet [ /PDF /Text ] >>\rendobj\r"),
            std::string::npos);
  EXPECT_NE(pdf.find("9 0 obj\r<< /Type /Pages\r/Count 1\r/Kids [10 0 R ]\r>>\rendobj\r"),
            std::string::npos);
  EXPECT_NE(
      pdf.find(
          "10 0 obj\r<< /Type /Page\r/Parent 9 0 R\r/Resources 8 0 R\r/MediaBox [0 0 594 841]\r"
          "/TrimBox [84 56 552 785]\r/Contents 1 0 R\r>>\rendobj\r"),
      std::string::npos);
  EXPECT_NE(pdf.find("11 0 obj\r<< /Type /Catalog \r/Pages 9 0 R \r/Outlines 3 0 R \r>>\rendobj\r"),
            std::string::npos);
  EXPECT_EQ(doc.ObjNumber(), 11);

  // Every cross-reference entry is 20 bytes and points at its own object.
  const std::size_t xref = pdf.rfind("xref\r0 12\r0000000000 65535 f \r");
  ASSERT_NE(xref, std::string::npos);
  for (int n = 1; n <= 11; ++n) {
    const std::string entry = pdf.substr(xref + 10 + 20 * n, 20);
    ASSERT_TRUE(std::regex_match(entry, std::regex("\\d{10} 00000 n \r"))) << entry;
    const std::string obj = std::to_string(n) + " 0 obj\r";
    EXPECT_EQ(pdf.substr(std::stoul(entry.substr(0, 10)), obj.size()), obj);
  }
  EXPECT_NE(pdf.find("trailer\r<< /Size 12\r/Root 11 0 R\r>>\rstartxref\r" + std::to_string(xref) +
                     "\r%%EOF"),
            std::string::npos);

  TempPdf file("one-page");
  WriteFileBytes(file.Path(), pdf);
  EXPECT_EQ(QpdfProblems(file.Path()), "");
}

TEST(PdfDocument, PagesShareResourcesAndFollowThePageTree) {
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  doc.BeginDoc();
  TPDFFont font("F");
  font.BaseFont = TPDFFontName::poCourierBoldOblique;
  font.FontEncoding = TPDFFontEncoding::poMacRomanEncoding;
  doc.AddFont(font);
  doc.SetFont(font);
  for (int page = 1; page <= 3; ++page) {
    doc.NewPage();
    doc.TextOut(100, 700, clBlack, "page " + std::to_string(page));
  }
  doc.EndDoc();
  const std::string pdf = out.Data();
  EXPECT_EQ(doc.PageCount(), 3);
  // 1..6 content streams and lengths, 7 outlines, 8 font, 9 resources, 10 tree, 11-13 pages.
  EXPECT_NE(pdf.find("/BaseFont /Courier-BoldOblique\r/Encoding /MacRomanEncoding\r"),
            std::string::npos);
  EXPECT_NE(pdf.find("10 0 obj\r<< /Type /Pages\r/Count 3\r/Kids [11 0 R 12 0 R 13 0 R ]\r"),
            std::string::npos);
  EXPECT_NE(
      pdf.find(
          "13 0 obj\r<< /Type /Page\r/Parent 10 0 R\r/Resources 9 0 R\r/MediaBox [0 0 612 792]\r"
          "/TrimBox [50 50 562 742]\r/Contents 5 0 R\r"),
      std::string::npos);
  EXPECT_NE(pdf.find("<< /Size 15\r/Root 14 0 R\r>>"), std::string::npos);
  const std::size_t first = pdf.find("1 0 obj");
  EXPECT_NE(pdf.find("\r" + std::string(10 - std::to_string(first).size(), '0') +
                     std::to_string(first) + " 00000 n \r"),
            std::string::npos);

  TempPdf file("three-pages");
  WriteFileBytes(file.Path(), pdf);
  EXPECT_EQ(QpdfProblems(file.Path()), "");
  const std::string text = PdfText(file.Path());
  EXPECT_NE(text.find("page 1"), std::string::npos);
  EXPECT_NE(text.find("page 3"), std::string::npos);
}

TEST(PdfDocument, TextLongerThanTheBufferKeepsLengthsAndOffsetsRight) {
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  doc.BeginDoc();
  doc.SetFont(TPDFFont("F"));
  doc.NewPage();
  const std::string text(300 * 1024, 'x');
  doc.TextOut(1, 2, clBlack, text);
  doc.EndDoc();
  const std::string pdf = out.Data();
  const std::string content = "BT\r/F 10 Tf\r1 2 Td (" + text + ") Tj\rET\r";
  EXPECT_NE(pdf.find("stream\r\n" + content + "endstream"), std::string::npos);
  EXPECT_NE(pdf.find("2 0 obj\r" + std::to_string(content.size()) + " \rendobj\r"),
            std::string::npos);
  const std::size_t outlines = pdf.find("3 0 obj\r");
  EXPECT_NE(pdf.find(std::string(10 - std::to_string(outlines).size(), '0') +
                     std::to_string(outlines) + " 00000 n \r"),
            std::string::npos);
}

TEST(PdfDocument, ARepeatedFontNameIsRefusedWithoutWritingAnything) {
  MorvatMemoryStream out;
  TPDFDocument doc(out);
  doc.BeginDoc();
  doc.AddFont(TPDFFont("DataFont"));
  doc.NewPage();
  const int objects = doc.ObjNumber();
  try {
    doc.AddFont(TPDFFont("datafont"));
    FAIL() << "no error";
  } catch (const EPDFError& e) {
    EXPECT_STREQ(e.what(), "Font datafont already exists");
  }
  doc.EndDoc();
  EXPECT_EQ(doc.ObjNumber(),
            objects + 7);  // length, outlines, one font, resources, tree, page, catalog
}

// A stream that refuses every write after the first `allowed` bytes.
class FailingStream : public MorvatStream {
 public:
  explicit FailingStream(std::size_t allowed) : allowed_(allowed) {}
  void Write(const char*, size_t size) override {
    if (written_ + size > allowed_) throw EMorvatError("disk full");
    written_ += size;
  }
  using MorvatStream::Write;
  uint64_t Position() const override { return written_; }

 private:
  std::size_t allowed_, written_ = 0;
};

TEST(PdfDocument, StreamFailuresReachTheCallerOnce) {
  FailingStream stream(0);
  {
    TPDFDocument doc(stream);
    doc.BeginDoc();
    doc.NewPage();
    EXPECT_THROW(doc.EndDoc(), EMorvatError);
  }  // the destructor does not raise again
  SUCCEED();
}

}  // namespace
}  // namespace vorlix::exporter::pdf
