#pragma once
// The Workbook stream of one run: the direct-write primitives over one record buffer, the
// globals head, the bound-sheet list, and the finishing step that fills in the sheets' used
// ranges and inserts the globals block (styles, palette, sheet directory, shared strings) in
// front of the sheets.

#include <cstdint>
#include <initializer_list>
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

// A record whose data is one 16-bit word.
struct WordRecord {
  uint16_t id, value;
};

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

class WorkbookWriter {
 public:
  explicit WorkbookWriter(XlsStream& stream);

  XlsStream& Stream() { return stream_; }

  // Writes one record whose data `fill` appends to the BiffBytes it is handed. Data longer than
  // one record holds raises std::length_error.
  template <typename Fill>
  void WriteRecord(uint16_t id, Fill&& fill) {
    record_.resize(4);  // the header, filled in when the data is known
    BiffBytes data(record_);
    fill(data);
    SendRecord(id);
  }
  void WriteWordRecord(uint16_t id, uint16_t value);
  // Records of one 16-bit word each, in order.
  void WriteWordRecords(std::initializer_list<WordRecord> records);
  void WriteBOF(uint16_t substreamType);
  void WriteEOF();
  // The current sheet's DIMENSIONS, all zero until Finish fills in the sheet's used range.
  void WriteDimensions();

  // BOF of the globals and the records up to BOOKBOOL; remembers where the globals block goes;
  // EOF.
  void WriteGlobalsHead();

  TxlsBoundSheet& AddBoundSheet(int sheetIndex, const std::u16string& name);
  std::vector<TxlsBoundSheet>& BoundSheets() { return boundSheets_; }
  TxlsBoundSheet& CurrentSheet() { return boundSheets_.back(); }

  TsstStrings& Sst() { return sst_; }
  StyleTable& Styles() { return styles_; }

  // Fills in the DIMENSIONS records, builds the globals block and inserts it.
  void Finish();
  // Writes the globals block: styles, palette, one BOUNDSHEET per sheet (with the sheet's BOF
  // position behind the block), COUNTRY, the shared strings. blockPosition is where the block
  // will stand in the stream.
  void WriteGlobalsBlock(XlsByteSink& out, uint64_t blockPosition);
  // The globals block in memory (for tests).
  std::vector<uint8_t> BuildGlobalsBlock();
  uint64_t InsertionPosition() const { return insertionPosition_; }

 private:
  // Fills in the header of the record in record_ and writes it.
  void SendRecord(uint16_t id);

  XlsStream& stream_;
  std::vector<uint8_t> record_;  // header and data of the record being written
  std::vector<TxlsBoundSheet> boundSheets_;
  TsstStrings sst_;
  StyleTable styles_;
  uint64_t insertionPosition_ = 0;
};

}  // namespace vorlix::exporter::xls
