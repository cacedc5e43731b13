#pragma once
// Helpers for the PDF tests: temporary files and the outside readers (qpdf, poppler).

#include <string>

namespace vorlix::exporter::pdf::testing {

// A fresh path under the test temporary folder, removed again by the destructor.
class TempPdf {
 public:
  explicit TempPdf(const std::string& stem);
  ~TempPdf();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);

// Output of `qpdf --check` when it reports any error or warning; empty when the file is clean.
std::string QpdfProblems(const std::string& path);
// Text pdftotext finds in the file, whitespace runs folded to one blank.
std::string PdfText(const std::string& path);
// Page count as pdfinfo reports it, -1 when it cannot read the file.
int PdfPageCount(const std::string& path);

}  // namespace vorlix::exporter::pdf::testing
