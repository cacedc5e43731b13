#pragma once
// The PDF exporter: an export run drawn as a ruled table on as many pages as it needs, with
// optional header lines above the caption row and footer lines after the last row.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/morvat3.h"
#include "export/pdf/pdf_document.h"
#include "export/pdf/pdf_options.h"

namespace vorlix::exporter::pdf {

class TMorvat3PDF;

// Per cell, before it is drawn: the handler may change the alignment, the text colour (only
// the colour of `font` counts) and the background (white draws none).
using TGetCellParamsEvent =
    std::function<void(TMorvat3PDF& sender, int recNo, int colNo, const std::string& value,
                       TMorvatColAlign& align, TPDFFont& font, TColor& background)>;

class TMorvat3PDF : public TMorvat3FormatText {
 public:
  TMorvat3PDF();

  TPDFOptions Options;
  // ColumnsWidth (name=characters) and ColumnsAlign (name=left|center|right) are offered to
  // the column builder; both lists are members of TMorvat3.
  TGetCellParamsEvent OnGetCellParams;

  std::unique_ptr<TMorvatWriter> CreateWriter(MorvatStream& stream) override;
  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  std::string CellText(TMorvatCol& col) override;
  std::string SpecialCharacters() const override { return "\\"; }
  // Doubles every backslash.
  std::string NormalizeText(const std::string& text) override;

  // Run state: the current y and the column boundaries.
  int CurrentY() const { return y_; }
  const std::vector<int>& Boundaries() const { return x_; }

 private:
  // The document of the run's writer; raises when the run has none.
  TPDFDocument& Document();
  // y moves down by Round(amount).
  void MoveDown(double amount);
  void HorizontalRule();
  void VerticalRules();
  // Text as the document takes it: 8-bit, with the string delimiters escaped.
  void DrawText(int x, TColor color, const std::string& pdfText);
  // Free lines in `font`, each below the last. A line below the content box goes to a new page,
  // on which the fill and stroke colours pageFill and pageLine are set.
  void WriteFreeLines(const MorvatStringList& lines, const TPDFFont& font, TColor pageFill,
                      TColor pageLine);
  void WriteHeaderLines();
  void WriteFooterLines();

  TPDFDocument* document_ = nullptr;  // the run's writer's document
  TPDFBox box_;
  int y_ = 0;
  int gridTop_ = 0;
  std::vector<int> x_;
};

}  // namespace vorlix::exporter::pdf
