#pragma once
// The Workbook stream of one run: the direct-write primitives over one record buffer, the
// globals head, the bound-sheet list, and the finishing step that fills in the sheets' used
// ranges and inserts the globals block (styles, palette, sheet directory, shared strings) in
// front of the sheets.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/xls/biff_record.h"
#include "export/xls/sst.h"
#include "export/xls/styles.h"
#include "export/xls/xls_stream.h"

namespace vorlix::exporter::xls {

// Banner of the WRITEACCESS record: product and version joined by a blank.
extern const char* const kProductName;
extern const char* const kProductVersion;

struct TxlsBoundSheet {
  int SheetIndex = 0;
  std::u16string Name;
  uint32_t BofPosition = 0;
  uint32_t BoundSheetPosition = 0;  // offset of the BOUNDSHEET record inside the globals block
  uint32_t DimensionsPosition = 0;
  int32_t FirstRow = -1, LastRow = -1;
  int32_t FirstCol = -1, LastCol = -1;

  // Widens the used range to hold the cell (row, col).
  void Widen(int32_t row, int32_t col);
  bool HasRange() const { return FirstRow >= 0 && LastRow >= 0 && FirstCol >= 0 && LastCol >= 0; }
};

class TxlsWorkbookWriter {
 public:
  explicit TxlsWorkbookWriter(TxlsStream& stream);

  TxlsStream& Stream() { return stream_; }
  uint8_t* Buffer() { return buffer_.data() + 4; }

  // Header and the first length bytes of the record buffer.
  void WriteRecord(uint16_t id, uint16_t length);
  void WriteWordRecord(uint16_t id, uint16_t value);
  void WriteBOF(uint16_t substreamType);
  void WriteEOF();

  // BOF of the globals and the records up to BOOKBOOL; remembers where the globals block goes;
  // EOF.
  void WriteGlobalsHead();

  TxlsBoundSheet& AddBoundSheet(int sheetIndex, const std::u16string& name);
  std::vector<TxlsBoundSheet>& BoundSheets() { return boundSheets_; }
  TxlsBoundSheet& CurrentSheet() { return boundSheets_.back(); }

  TsstStrings& Sst() { return sst_; }
  TxlsStyleTable& Styles() { return styles_; }

  // Fills in the DIMENSIONS records, builds the globals block and inserts it.
  void Finish();
  // Writes the globals block: styles, palette, one BOUNDSHEET per sheet (with the sheet's BOF
  // position behind the block), COUNTRY, the shared strings. blockPosition is where the block
  // will stand in the stream.
  void WriteGlobalsBlock(TxlsByteSink& out, uint64_t blockPosition);
  // The globals block in memory (for tests).
  std::vector<uint8_t> BuildGlobalsBlock();
  uint64_t InsertionPosition() const { return insertionPosition_; }

 private:
  TxlsStream& stream_;
  std::array<uint8_t, 4 + kMaxRecordData> buffer_{};  // record header, then the data
  std::vector<TxlsBoundSheet> boundSheets_;
  TsstStrings sst_;
  TxlsStyleTable styles_;
  uint64_t insertionPosition_ = 0;
};

}  // namespace vorlix::exporter::xls
