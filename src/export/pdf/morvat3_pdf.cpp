#include "export/pdf/morvat3_pdf.h"

#include <algorithm>
#include <cmath>

#include "export/pdf/font_encodings.h"
#include "export/pdf/pdf_text.h"
#include "export/pdf/pdf_writer.h"
#include "platform/rounding.h"

namespace vorlix::exporter::pdf {

TMorvat3PDF::TMorvat3PDF() {
  OffersColumnsWidth = true;
  OffersColumnsAlign = true;
}

std::unique_ptr<TMorvatWriter> TMorvat3PDF::CreateWriter(MorvatStream& stream) {
  return std::make_unique<TMorvatPDFWriter>(*this, stream);
}

TPDFDocument& TMorvat3PDF::Document() {
  if (!document_) throw EMorvatError("The PDF export has no document to draw on");
  return *document_;
}

std::string TMorvat3PDF::NormalizeText(const std::string& text) {
  if (text.find('\\') == std::string::npos) return text;
  return DoubleBackslashes(text);
}

std::string TMorvat3PDF::CellText(TMorvatCol& col) {
  // Boolean and untyped values skip the engine's normalizing; a lone backslash in them would
  // still escape the character after it in the PDF string.
  if (col.IsNull || col.ColumnIndex < 0 || col.ColumnIndex >= Columns.Count()) return col.Data;
  const TMorvatColType type = Columns[col.ColumnIndex].ColType;
  return type == ectBoolean || type == ectUnknown ? NormalizeText(col.Data) : col.Data;
}

void TMorvat3PDF::MoveDown(double amount) {
  y_ -= platform::RoundHalfToEvenInt(amount);
}

void TMorvat3PDF::HorizontalRule() {
  Document().DrawLine(Options.GridLineColor, x_.front(), y_, x_.back(), y_);
}

void TMorvat3PDF::VerticalRules() {
  const double halfWidth = Options.GridLineWidth / 2.0;
  for (int x : x_)
    Document().DrawLine(Options.GridLineColor, x, gridTop_ + halfWidth, x, y_ - halfWidth);
}

void TMorvat3PDF::DrawText(int x, TColor color, const std::string& pdfText) {
  const bool plain = std::none_of(pdfText.begin(), pdfText.end(),
                                  [](char ch) { return ch == '(' || ch == ')' || ch == '\r'; });
  if (plain) {
    Document().TextOut(x, y_, color, pdfText);
  } else {
    Document().TextOut(x, y_, color, EscapeStringDelimiters(pdfText));
  }
}

void TMorvat3PDF::BeginExport() {
  auto* writer = dynamic_cast<TMorvatPDFWriter*>(Writer);
  document_ = writer ? &writer->Document() : nullptr;
  TMorvat3FormatText::BeginExport();
  TPDFDocument& doc = Document();
  const TMorvatPDFPageOptions& page = Options.PageOptions;
  box_ = page.ContentBox();
  y_ = gridTop_ = box_.Top;

  const int dataSize = Options.DataFont.FontSize;
  x_.assign(1, box_.Left);
  for (int i = 0; i < Columns.Count(); ++i)
    x_.push_back(x_.back() + doc.CharsWidth(dataSize, Columns[i].Width + Options.ColSpacing));

  doc.SetMediaBox(page.PageBox());
  doc.SetTrimBox(box_);
  doc.BeginDoc();
  doc.NewPage();
  doc.SetLineWidth(Options.GridLineWidth);
  doc.SetLineSpacing(Options.RowSpacing);
  doc.SetLineColor(Options.GridLineColor);
  WriteHeaderLines();
  doc.AddFont(Options.DataFont);
  doc.AddFont(Options.CaptionFont);
  doc.AddFont(Options.HeaderFont);
  doc.AddFont(Options.FooterFont);
}

void TMorvat3PDF::WriteFreeLines(const MorvatStringList& lines, const TPDFFont& font,
                                 TColor pageFill, TColor pageLine) {
  TPDFDocument& doc = Document();
  const double lineHeight = (Options.RowSpacing / 2 + 1) * font.FontSize;
  doc.SetFont(font);
  for (const std::string& line : lines.Lines()) {
    MoveDown(lineHeight);
    if (y_ < box_.Bottom) {
      doc.NewPage();
      doc.SetFillColor(pageFill);
      doc.SetLineColor(pageLine);
      y_ = box_.Top - platform::RoundHalfToEvenInt(lineHeight);
    }
    // Free lines skip the engine's normalizing; they need it as much as the cells do.
    DrawText(box_.Left, font.FontColor, NormalizeText(TextForEncoding(line, font.FontEncoding)));
  }
}

void TMorvat3PDF::WriteHeaderLines() {
  if (Header.Count() > 0) {
    const TPDFFont& font = Options.HeaderFont;
    WriteFreeLines(Header, font, font.FontColor, Options.GridLineColor);
    MoveDown(font.FontSize * Options.RowSpacing / 2);
  }
  gridTop_ = y_;
}

void TMorvat3PDF::WriteCaptionRow() {
  TPDFDocument& doc = Document();
  const TPDFFont& font = Options.CaptionFont;
  const int size = font.FontSize;
  doc.SetFont(font);
  HorizontalRule();
  MoveDown((Options.RowSpacing / 2 + 1) * size);
  const int pad = doc.CharsWidth(size, Options.ColSpacing / 2);
  for (int i = 0; i < Columns.Count(); ++i)
    DrawText(x_[i] + pad, font.FontColor, TextForEncoding(ColumnCaptionText(i), font.FontEncoding));
  MoveDown(size * Options.RowSpacing / 2);
  HorizontalRule();
}

void TMorvat3PDF::WriteDataRow() {
  TPDFDocument& doc = Document();
  const TPDFFont& dataFont = Options.DataFont;
  const int size = dataFont.FontSize;
  const double rowSpacing = Options.RowSpacing;
  doc.SetFont(dataFont);

  if (y_ - platform::RoundHalfToEvenInt((rowSpacing + 1) * size) < box_.Bottom) {
    VerticalRules();
    y_ = gridTop_ = box_.Top;
    doc.NewPage();
    doc.SetFillColor(dataFont.FontColor);
    doc.SetLineColor(Options.GridLineColor);
    HorizontalRule();
  }
  MoveDown((rowSpacing / 2 + 1) * size);

  const int pad = doc.CharsWidth(size, Options.ColSpacing / 2);
  for (int i = 0; i < Columns.Count(); ++i) {
    const TMorvatColumn& column = Columns[i];
    const std::string value = Row[i].GetValue(CellFormat::kFormatted);
    TMorvatColAlign align = column.ColAlign;
    TColor background = clWhite;
    TColor color = dataFont.FontColor;
    if (OnGetCellParams) {
      TPDFFont font = dataFont;
      OnGetCellParams(*this, RecordCounter, i, value, align, font, background);
      color = font.FontColor;
    }
    if (background != clWhite) {
      doc.FillRect(background, x_[i], y_ - size * rowSpacing / 2, x_[i + 1] - x_[i],
                   (rowSpacing + 1) * size - Options.GridLineWidth / 2.0);
    }
    // Coded for the data font's encoding, and measured so: the widths go by code.
    const std::string text = TextForEncoding(value, dataFont.FontEncoding);
    int x = x_[i] + pad;
    if (align == ecaCenter) {
      x += (doc.CharsWidth(size, column.Width) - doc.TextWidth(text, size)) / 2;
    } else if (align == ecaRight) {
      x = x_[i + 1] - pad - doc.TextWidth(text, size);
    }
    DrawText(x, color, text);
  }
  MoveDown(size * rowSpacing / 2);
  HorizontalRule();
}

void TMorvat3PDF::WriteFooterLines() {
  if (Footer.Count() == 0) return;
  // A new page starts in black: it gets again the colours the document takes as current (text
  // lines restore them after drawing), or text in those colours would be drawn black.
  const TPDFDocument& doc = Document();
  WriteFreeLines(Footer, Options.FooterFont, doc.FillColor(), doc.LineColor());
}

void TMorvat3PDF::EndExport() {
  if (Writer && document_) {
    TPDFDocument& doc = *document_;
    if (y_ != box_.Top) VerticalRules();
    WriteFooterLines();
    doc.EndPage();
    doc.EndDoc(FinishingProgress());
  }
  document_ = nullptr;
  TMorvat3FormatText::EndExport();
}

}  // namespace vorlix::exporter::pdf
