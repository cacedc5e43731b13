#include "export/pdf/pdf_document.h"

#include "export/morvat_strings.h"
#include "export/pdf/pdf_widths.h"
#include "platform/locale_facts.h"

namespace vorlix::exporter::pdf {
namespace {

// The file's syntax: every line ends with a single CR. The one exception is the end of the
// "stream" keyword, which must be followed by CR LF (or LF): a CR alone there is not valid
// PDF and readers complain about it.
constexpr std::string_view kHeader = "%PDF-1.3\r";
constexpr uint64_t kProgressStep = 64;  // objects written between two progress reports
const PdfTemplate kStreamBegin("%d 0 obj\r<< /Length %d 0 R >>\rstream\r\n");
constexpr std::string_view kStreamEnd = "endstream\rendobj\r";
const PdfTemplate kLengthObject("%d 0 obj\r%d \rendobj\r");
const PdfTemplate kText("BT\r/%s %d Tf\r%d %d Td (%s) Tj\rET\r");
const PdfTemplate kLine("%.1f %.1f m \r%.1f %.1f l \r%.1f w \rS\r");
const PdfTemplate kRect("%.1f %.1f %.1f %.1f re %s\r");
const PdfTemplate kStrokeColor("%f %f %f RG\r");
const PdfTemplate kFillColor("%f %f %f rg\r");
const PdfTemplate kOutlines("%d 0 obj\r<< /Type /Outlines\r/Count 0\r>>\rendobj\r");
const PdfTemplate kFontObject(
    "%d 0 obj\r<< /Type /Font\r/Subtype /Type1\r/Name /%s\r/BaseFont /%s\r/Encoding /%s\r"
    "/FirstChar 0\r/LastChar 255\r/Widths [%s]\r>>\rendobj\r");
const PdfTemplate kFontEntry("/%s %d 0 R ");
const PdfTemplate kResources("%d 0 obj\r<< /Font <<%s >> /ProcSet [ /PDF /Text ] >>\rendobj\r");
const PdfTemplate kKid("%d 0 R ");
const PdfTemplate kPageTree("%d 0 obj\r<< /Type /Pages\r/Count %d\r/Kids [%s]\r>>\rendobj\r");
const PdfTemplate kPage(
    "%d 0 obj\r<< /Type /Page\r/Parent %d 0 R\r/Resources %d 0 R\r/MediaBox [%d %d %d %d]\r"
    "/TrimBox [%d %d %d %d]\r/Contents %s\r>>\rendobj\r");
const PdfTemplate kContentsRef("%d 0 R");
const PdfTemplate kCatalog(
    "%d 0 obj\r<< /Type /Catalog \r/Pages %d 0 R \r/Outlines %d 0 R \r>>\rendobj\r");
const PdfTemplate kXrefHead("xref\r0 %d\r0000000000 65535 f \r");
const PdfTemplate kXrefEntry("%10.10d 00000 n \r");
const PdfTemplate kTrailer("trailer\r<< /Size %d\r/Root %d 0 R\r>>\rstartxref\r%d\r");
constexpr std::string_view kEndOfFile = "%%EOF";

double Channel(std::uint8_t value) {
  return value / 255.0;
}

}  // namespace

TPDFDocument::TPDFDocument(MorvatStream& stream) : sink_(stream) {
  platform::FormatSettings().decimalSeparator = '.';
}

int TPDFDocument::TextWidth(std::string_view text, int fontSize) const {
  return MeasureText(text, fontSize);
}

int TPDFDocument::CharsWidth(int fontSize, double chars) const {
  return MeasureAverageChars(fontSize, chars);
}

void TPDFDocument::Write(const PdfTemplate& tmpl, std::initializer_list<TemplateArg> args) {
  tmpl.Append(sink_, args);
}

int TPDFDocument::AllocateObject() {
  offsets_.push_back(sink_.Size());
  return static_cast<int>(offsets_.size());
}

void TPDFDocument::BeginDoc() {
  pages_.clear();
  offsets_.clear();
  fonts_.clear();
  lineWidth_ = 1.0;
  lineSpacing_ = 1.0;
  lineColor_ = clBlack;
  fillColor_ = clBlack;
  streamOpen_ = false;
  sink_.Append(kHeader);
}

void TPDFDocument::AddFont(const TPDFFont& font) {
  for (const TPDFFont& registered : fonts_) {
    if (SameText(registered.Name, font.Name))
      throw EPDFError("Font " + font.Name + " already exists");
  }
  fonts_.push_back(font);
}

void TPDFDocument::NewPage() {
  EndPage();
  const int n = AllocateObject();
  pages_.push_back(n);
  Write(kStreamBegin, {n, n + 1});
  streamStart_ = sink_.Size();
  streamOpen_ = true;
}

void TPDFDocument::EndPage() {
  if (!streamOpen_) return;
  const std::int64_t length = sink_.Size() - streamStart_;
  sink_.Append(kStreamEnd);
  const int m = AllocateObject();
  Write(kLengthObject, {m, length});
  streamOpen_ = false;
}

void TPDFDocument::TextOut(int x, int y, TColor color, std::string_view text) {
  const TColor previous = fillColor_;
  if (color != previous) SetFillColor(color);
  Write(kText, {font_.Name, font_.FontSize, x, y, text});
  if (color != previous) SetFillColor(previous);
}

void TPDFDocument::DrawLine(TColor color, double x1, double y1, double x2, double y2) {
  const TColor previous = lineColor_;
  if (color != previous) SetLineColor(color);
  Write(kLine, {x1, y1, x2, y2, lineWidth_});
  if (color != previous) SetLineColor(previous);
}

void TPDFDocument::FillRect(TColor color, double x, double y, double width, double height) {
  const TColor previous = fillColor_;
  if (color != previous) SetFillColor(color);
  Write(kRect, {x, y, width, height, "f"});
  if (color != previous) SetFillColor(previous);
}

TColor TPDFDocument::SetLineColor(TColor color) {
  Write(kStrokeColor, {Channel(color.Red), Channel(color.Green), Channel(color.Blue)});
  const TColor previous = lineColor_;
  lineColor_ = color;
  return previous;
}

TColor TPDFDocument::SetFillColor(TColor color) {
  Write(kFillColor, {Channel(color.Red), Channel(color.Green), Channel(color.Blue)});
  const TColor previous = fillColor_;
  fillColor_ = color;
  return previous;
}

void TPDFDocument::EndDoc(const FinishProgress& progress) {
  EndPage();

  const int outlines = AllocateObject();
  Write(kOutlines, {outlines});

  std::string fontDictionary;
  for (const TPDFFont& font : fonts_) {
    const int f = AllocateObject();
    Write(kFontObject, {f, font.Name, BaseFontName(font.BaseFont), EncodingName(font.FontEncoding),
                        WidthsText()});
    kFontEntry.Append(fontDictionary, {font.Name, f});
  }

  const int resources = AllocateObject();
  Write(kResources, {resources, fontDictionary});

  // The page objects follow the page tree: numbers C + 2 to C + N + 1.
  const int counter = ObjNumber();
  const int pageCount = PageCount();
  std::string kids;
  for (int i = 0; i < pageCount; ++i) kKid.Append(kids, {counter + 2 + i});
  const int pageTree = AllocateObject();
  Write(kPageTree, {pageTree, pageCount, kids});
  // The bulk of what is left: a page object a page, then the cross-reference entry of every
  // object (those so far, the pages' and the catalog's).
  const uint64_t total = uint64_t(pageCount) + uint64_t(ObjNumber()) + uint64_t(pageCount) + 1;
  uint64_t done = 0;
  auto step = [&] {
    if (++done % kProgressStep == 0 && progress) progress(done, total);
  };
  std::string contents;
  for (int contentObject : pages_) {
    const int page = AllocateObject();
    contents.clear();
    kContentsRef.Append(contents, {contentObject});
    Write(kPage,
          {page, pageTree, resources, mediaBox_.Left, mediaBox_.Bottom, mediaBox_.Right,
           mediaBox_.Top, trimBox_.Left, trimBox_.Bottom, trimBox_.Right, trimBox_.Top, contents});
    step();
  }

  const int catalog = AllocateObject();
  Write(kCatalog, {catalog, pageTree, outlines});

  const std::int64_t xref = sink_.Size();
  Write(kXrefHead, {ObjNumber() + 1});
  for (std::int64_t offset : offsets_) {
    Write(kXrefEntry, {offset});
    step();
  }
  Write(kTrailer, {ObjNumber() + 1, catalog, xref});
  sink_.Append(kEndOfFile);
  sink_.Flush();
  if (progress) progress(total, total);
}

}  // namespace vorlix::exporter::pdf
