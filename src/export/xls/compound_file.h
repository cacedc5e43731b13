#pragma once
// Compound file (version 3, 512-byte sectors) holding one stream, "Workbook", in its root
// storage. The stream's bytes are collected in a TxlsStream while the workbook is written and
// laid out as a compound file when the file is closed: a stream under 4096 bytes goes into the
// mini stream (64-byte mini sectors), a larger one into regular sectors; the FAT marks its own
// sectors, and DIFAT sectors follow once more than 109 FAT sectors are needed.

#include <cstdint>
#include <cstdio>
#include <string>

#include "export/xls/xls_stream.h"

namespace vorlix::exporter::xls {

class TCompoundFile {
 public:
  TCompoundFile() = default;
  ~TCompoundFile();
  TCompoundFile(const TCompoundFile&) = delete;
  TCompoundFile& operator=(const TCompoundFile&) = delete;

  // Creates the file, replacing an existing one, and opens it for writing by this process
  // alone. Throws std::runtime_error naming the file and the system's reason.
  void Open(const std::string& fileName);
  // The Workbook stream.
  TxlsStream& Stream() { return stream_; }
  // Writes the container with the stream's current bytes and closes the file. Throws
  // std::runtime_error("Error writing output file") when the file takes fewer bytes.
  void Close();
  // Closes without raising (for error paths); the container is still written.
  void CloseQuietly() noexcept;
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  TxlsStream stream_;
};

// Writes the compound file image of a single "Workbook" stream to out.
void WriteCompoundFile(const TxlsStream& workbook, TxlsByteSink& out);

}  // namespace vorlix::exporter::xls
