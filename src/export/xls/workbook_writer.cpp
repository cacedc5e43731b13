#include "export/xls/workbook_writer.h"

#include <cstdio>
#include <cstring>

namespace vorlix::exporter::xls {

const char* const kProductName = "Tarlisk";
const char* const kProductVersion = "3.36";

void TxlsBoundSheet::Widen(int32_t row, int32_t col) {
  if (FirstRow < 0 || row < FirstRow) FirstRow = row;
  if (LastRow < 0 || row > LastRow) LastRow = row;
  if (FirstCol < 0 || col < FirstCol) FirstCol = col;
  if (LastCol < 0 || col > LastCol) LastCol = col;
}

TxlsWorkbookWriter::TxlsWorkbookWriter(TxlsStream& stream) : stream_(stream) {}

void TxlsWorkbookWriter::WriteRecord(uint16_t id, uint16_t length) {
  PutU16(buffer_.data(), id);
  PutU16(buffer_.data() + 2, length);
  stream_.Write(buffer_.data(), 4 + size_t{length});
}

void TxlsWorkbookWriter::WriteWordRecord(uint16_t id, uint16_t value) {
  PutU16(Buffer(), value);
  WriteRecord(id, 2);
}

void TxlsWorkbookWriter::WriteBOF(uint16_t substreamType) {
  uint8_t* d = Buffer();
  PutU16(d + 0, 0x0600);
  PutU16(d + 2, substreamType);
  PutU16(d + 4, 0x0DBB);
  PutU16(d + 6, 0x07CC);
  PutU32(d + 8, 0);
  PutU32(d + 12, 0x0206);
  WriteRecord(rid::kBof, 16);
}

void TxlsWorkbookWriter::WriteEOF() {
  WriteRecord(rid::kEof, 0);
}

void TxlsWorkbookWriter::WriteGlobalsHead() {
  WriteBOF(0x0005);
  // WRITEACCESS: the banner as 8-bit characters, padded with blanks to 112 bytes.
  std::string banner = std::string(kProductName) + " " + kProductVersion;
  uint8_t* d = Buffer();
  std::memset(d, 0x20, 112);
  PutU16(d, static_cast<uint16_t>(banner.size()));
  d[2] = 0;
  std::memcpy(d + 3, banner.data(), banner.size());
  WriteRecord(rid::kWriteAccess, 112);
  WriteWordRecord(rid::kCodePage, 1252);
  WriteWordRecord(rid::kDsf, 0);
  WriteWordRecord(rid::kFnGroupCount, 14);
  WriteWordRecord(rid::kWindowProtect, 0);
  WriteWordRecord(rid::kProtect, 0);
  WriteWordRecord(rid::kPassword, 0);
  WriteWordRecord(rid::kProt4Rev, 0);
  WriteWordRecord(rid::kProt4RevPass, 0);
  const uint16_t window1[9] = {120, 120, 23820, 15720, 0x0038, 0, 0, 1, 600};
  for (int i = 0; i < 9; ++i) PutU16(d + 2 * i, window1[i]);
  WriteRecord(rid::kWindow1, 18);
  WriteWordRecord(rid::kBackup, 0);
  WriteWordRecord(rid::kHideObj, 0);
  WriteWordRecord(rid::kDateMode, 0);
  WriteWordRecord(rid::kPrecision, 1);
  WriteWordRecord(rid::kRefreshAll, 0);
  WriteWordRecord(rid::kBookBool, 0);
  insertionPosition_ = stream_.Position();
  WriteEOF();
}

TxlsBoundSheet& TxlsWorkbookWriter::AddBoundSheet(int sheetIndex, const std::u16string& name) {
  TxlsBoundSheet sheet;
  sheet.SheetIndex = sheetIndex;
  sheet.Name = name;
  sheet.BofPosition = static_cast<uint32_t>(stream_.Position());
  boundSheets_.push_back(sheet);
  return boundSheets_.back();
}

void TxlsWorkbookWriter::WriteGlobalsBlock(TxlsByteSink& out, uint64_t blockPosition) {
  TxlsBuffer styles;
  styles_.WriteRecords(styles);
  TxlsStyleTable::WritePalette(styles);
  // The block's size is known before it is written, so each BOUNDSHEET gets its sheet's final
  // BOF position (inserting the block moves every sheet towards the end by that size).
  uint64_t size = styles.Size();
  for (TxlsBoundSheet& sheet : boundSheets_) {
    sheet.BoundSheetPosition = static_cast<uint32_t>(size);
    size += 4 + 8 + 2 * sheet.Name.size();
  }
  const uint64_t sstPosition = size + 8;
  size = sstPosition + sst_.SavedSize();
  out.Write(styles.Bytes().data(), styles.Size());
  for (const TxlsBoundSheet& sheet : boundSheets_) {
    TbiffBoundSheet record(sheet.Name);
    record.SetBofPosition(static_cast<uint32_t>(sheet.BofPosition + size));
    record.SaveToStream(out);
  }
  TbiffCountry(1, 1).SaveToStream(out);
  sst_.SaveToStream(out, blockPosition + sstPosition);
}

std::vector<uint8_t> TxlsWorkbookWriter::BuildGlobalsBlock() {
  TxlsBuffer block;
  WriteGlobalsBlock(block, insertionPosition_);
  return std::move(block.Bytes());
}

void TxlsWorkbookWriter::Finish() {
  const uint64_t end = stream_.Size();
  for (const TxlsBoundSheet& sheet : boundSheets_) {
    if (!sheet.HasRange()) continue;
    uint8_t d[12];
    PutU32(d, static_cast<uint32_t>(sheet.FirstRow));
    PutU32(d + 4, static_cast<uint32_t>(sheet.LastRow + 1));
    PutU16(d + 8, static_cast<uint16_t>(sheet.FirstCol));
    PutU16(d + 10, static_cast<uint16_t>(sheet.LastCol + 1));
    stream_.Seek(sheet.DimensionsPosition + 4);
    stream_.Write(d, sizeof d);
  }
  // The block is written behind the sheets and then moved in front of them: the sheets' bytes
  // are neither copied nor held twice.
  stream_.Seek(end);
  WriteGlobalsBlock(stream_, insertionPosition_);
  stream_.MoveTail(end, insertionPosition_);
}

}  // namespace vorlix::exporter::xls
