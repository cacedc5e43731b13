#pragma once
// A minimal PDF 1.3 document written straight into an output stream, object by object,
// as the caller draws: text in the standard Type 1 fonts, lines, filled rectangles and
// colours, on pages that all share one size. Page content is never held in memory; the
// trailing structures (outline root, fonts, resources, page tree, catalog, cross-reference
// table, trailer) are written by EndDoc.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/morvat_messages.h"
#include "export/pdf/pdf_box.h"
#include "export/pdf/pdf_color.h"
#include "export/pdf/pdf_font.h"
#include "export/pdf/pdf_sink.h"
#include "export/pdf/pdf_template.h"

namespace vorlix::exporter::pdf {

// Raised by the document when a font is registered twice.
class EPDFError : public EMorvatError {
 public:
  explicit EPDFError(const std::string& message) : EMorvatError(message) {}
};

class TPDFDocument {
 public:
  // The stream stays the caller's; the document appends to it. Constructing a document makes "."
  // the program's decimal separator for the rest of the run.
  explicit TPDFDocument(MorvatStream& stream);
  TPDFDocument(const TPDFDocument&) = delete;
  TPDFDocument& operator=(const TPDFDocument&) = delete;

  // Width of 8-bit Text at FontSize points, rounded to whole points.
  int TextWidth(std::string_view text, int fontSize) const;
  // Width of Chars average characters at FontSize points, rounded to whole points.
  int CharsWidth(int fontSize, double chars) const;

  // Starts the file: empties pages, objects and fonts, resets line settings and colours.
  void BeginDoc();
  // Registers a copy of the font under its Name; a Name already registered (any case) raises
  // "Font <name> already exists" and changes nothing.
  void AddFont(const TPDFFont& font);
  // Closes the open page, if any, and opens the content stream of a new one.
  void NewPage();
  // Closes the open content stream and writes its length; does nothing when none is open.
  void EndPage();
  // Text (8-bit, written as given: escaping is the caller's) with its baseline at X, Y in
  // the current font; a colour other than FillColor is set for this text only.
  void TextOut(int x, int y, TColor color, std::string_view text);
  // A straight line in LineWidth; a colour other than LineColor is set for this line only.
  void DrawLine(TColor color, double x1, double y1, double x2, double y2);
  // A filled rectangle; a colour other than FillColor is set for this rectangle only.
  void FillRect(TColor color, double x, double y, double width, double height);
  // Write the stroke / fill colour (even when unchanged) and return the previous one.
  TColor SetLineColor(TColor color);
  TColor SetFillColor(TColor color);
  // Closes the open page and writes the trailing structures; the file is complete. Reports the
  // page objects and cross-reference entries written of all of them to `progress`, which may
  // raise to stop.
  void EndDoc(const FinishProgress& progress = {});

  int ObjNumber() const { return static_cast<int>(offsets_.size()); }
  int PageCount() const { return static_cast<int>(pages_.size()); }

  const TPDFFont& Font() const { return font_; }
  void SetFont(const TPDFFont& font) { font_ = font; }
  double LineWidth() const { return lineWidth_; }
  void SetLineWidth(double width) { lineWidth_ = width; }
  double LineSpacing() const { return lineSpacing_; }
  void SetLineSpacing(double spacing) { lineSpacing_ = spacing; }
  TColor LineColor() const { return lineColor_; }
  TColor FillColor() const { return fillColor_; }
  const TPDFBox& MediaBox() const { return mediaBox_; }
  void SetMediaBox(const TPDFBox& box) { mediaBox_ = box; }
  const TPDFBox& TrimBox() const { return trimBox_; }
  void SetTrimBox(const TPDFBox& box) { trimBox_ = box; }

 private:
  int AllocateObject();
  void Write(const PdfTemplate& tmpl, std::initializer_list<TemplateArg> args);

  PdfSink sink_;
  std::vector<int> pages_;             // content stream object of each page
  std::vector<std::int64_t> offsets_;  // byte offset of each object, by number - 1
  std::vector<TPDFFont> fonts_;        // registered fonts, in registration order
  std::int64_t streamStart_ = 0;
  bool streamOpen_ = false;
  TPDFFont font_;
  double lineWidth_ = 1.0;
  double lineSpacing_ = 1.0;
  TColor lineColor_ = clBlack;
  TColor fillColor_ = clBlack;
  TPDFBox mediaBox_{0, 0, 612, 792};
  TPDFBox trimBox_{50, 50, 562, 742};
};

}  // namespace vorlix::exporter::pdf
