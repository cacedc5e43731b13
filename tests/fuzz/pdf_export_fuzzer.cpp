// The PDF exporter over generated rows, as the main window sets it up, with fonts, page and
// spacing the fuzzer picks; the document goes to memory and its structure is checked.
//
// Options byte: bit 0 captions; bit 1 guess column types; bits 2-3 the data font (Helvetica,
// Courier, Times, Symbol); bits 4-5 its encoding; bit 6 landscape; bit 7 header and footer lines
// made of the captions. Second byte: bits 0-2 records to skip, bits 3-5 records to export
// (0: all); bits 6-7 the paper (A4, Letter, A5, a small user size). Parameter byte: font size
// (1 to 64) and row and column spacing.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/core/exporter_settings.h"
#include "export/morvat_messages.h"
#include "export/pdf/morvat3_pdf.h"
#include "fuzz_support.h"
#include "pdf_structure.h"
#include "support/memory_sources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorlix;
  using namespace vorlix::exporter::pdf;
  fuzz::ListSource source(data, size);
  const fuzz::GeneratedTable& table = source.table;
  const uint8_t o = table.options, m = table.moreOptions, p = table.parameter;
  TMorvat3PDF exporter;
  core::ConfigureAsMainWindowPdfExporter(exporter, &source.list);
  exporter.AllowCaptions = (o & 1) != 0;
  exporter.AutoCalcStrType = (o & 2) != 0;
  static const TPDFFontName kFonts[] = {TPDFFontName::poHelvetica, TPDFFontName::poCourier,
                                        TPDFFontName::poTimesRoman, TPDFFontName::poSymbol};
  TPDFFont& font = exporter.Options.DataFont;
  font.BaseFont = kFonts[(o >> 2) & 3];
  font.FontEncoding = static_cast<TPDFFontEncoding>((o >> 4) & 3);
  font.FontSize = 1 + p % 64;
  exporter.Options.CaptionFont.FontEncoding = font.FontEncoding;
  exporter.Options.RowSpacing = (p >> 6) * 0.5;
  exporter.Options.ColSpacing = (p >> 6) * 1.5;
  TMorvatPDFPageOptions& page = exporter.Options.PageOptions;
  static const TMorvatPageFormat kPapers[] = {pfA4, pfLetter, pfA5, pfUser};
  page.SetFormat(kPapers[(m >> 6) & 3]);
  if (page.Format() == pfUser) {
    page.SetUnits(unDot);
    page.SetWidth(200);
    page.SetHeight(150);
  }
  if ((o & 64) != 0) page.SetOrientation(poLandscape);
  if ((o & 128) != 0) {
    for (const std::string& caption : table.captions) {
      exporter.Header.Add(caption);
      exporter.Footer.Add(caption);
    }
  }
  exporter.SkipRecCount = m & 7;
  exporter.ExportRecCount = (m >> 3) & 7;

  exporter::MorvatMemoryStream stream;
  try {
    exporter.ExportToStream(stream);
  } catch (const exporter::EMorvatError&) {
    return 0;  // refused with a message
  }
  fuzz::PdfFacts facts;
  const std::string problem = fuzz::CheckPdfStructure(stream.Data(), facts);
  if (!problem.empty()) fuzz::Fail("the PDF breaks its structure: " + problem);
  return 0;
}
