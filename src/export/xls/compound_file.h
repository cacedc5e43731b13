#pragma once
// Compound file (version 3, 512-byte sectors) holding one stream, "Workbook", in its root
// storage. The stream's bytes are collected in a XlsStream while the workbook is written and
// laid out as a compound file when the file is closed: a stream under 4096 bytes goes into the
// mini stream (64-byte mini sectors), a larger one into regular sectors; the FAT marks its own
// sectors, and DIFAT sectors follow once more than 109 FAT sectors are needed.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/morvat_stream.h"
#include "export/xls/xls_stream.h"

namespace vorlix::exporter::xls {

class CompoundFile {
 public:
  CompoundFile() = default;
  ~CompoundFile();
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

  // Opens the output file (a temporary file beside the target, or a stream; platform/output_file.h)
  // and the Workbook stream, whose bytes wait in an unnamed temporary file until Close.
  // Raises EMorvatError "Cannot create file "<name>". <reason>".
  void Open(const std::string& fileName);
  // The Workbook stream.
  XlsStream& Stream() { return stream_; }
  // Writes the container with the stream's current bytes and puts the file in place of the
  // target, reporting the bytes written of the file's size to `progress` (which may raise to
  // stop). Raises EMorvatError naming the file and the reason; the target then stays as it was.
  void Close(const FinishProgress& progress = {});
  // Drops the file without raising (for error paths and aborted runs); the target stays as it
  // was.
  void Discard() noexcept;
  bool IsOpen() const { return file_ != nullptr; }
  // What the replaced file carried and the new one could not keep, once Close has run.
  const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  std::unique_ptr<MorvatFileStream> file_;
  std::vector<std::string> warnings_;
  XlsStream stream_;
};

// Writes the compound file image of a single "Workbook" stream to out.
void WriteCompoundFile(const XlsStream& workbook, XlsByteSink& out);

// The size in bytes of that image for a stream of `streamSize` bytes.
uint64_t CompoundFileSize(uint64_t streamSize);

}  // namespace vorlix::exporter::xls
