#pragma once
// The writer of a PDF export run: owns the document drawn on the run's output stream.

#include <memory>

#include "export/morvat_writer.h"
#include "export/pdf/pdf_document.h"

namespace vorlix::exporter::pdf {

class TMorvatPDFWriter : public TMorvatWriter {
 public:
  TMorvatPDFWriter(TMorvat3& owner, MorvatStream& stream)
      : TMorvatWriter(owner, stream), document_(std::make_unique<TPDFDocument>(stream)) {}

  TPDFDocument& Document() { return *document_; }

 private:
  std::unique_ptr<TPDFDocument> document_;
};

}  // namespace vorlix::exporter::pdf
