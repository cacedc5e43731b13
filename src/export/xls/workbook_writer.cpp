#include "export/xls/workbook_writer.h"

#include <stdexcept>

namespace vorlix::exporter::xls {

const char* const kProductName = "Tarlisk";
const char* const kProductVersion = "3.36";

void TxlsBoundSheet::Widen(int32_t row, int32_t col) {
  if (FirstRow < 0 || row < FirstRow) FirstRow = row;
  if (LastRow < 0 || row > LastRow) LastRow = row;
  if (FirstCol < 0 || col < FirstCol) FirstCol = col;
  if (LastCol < 0 || col > LastCol) LastCol = col;
}

WorkbookWriter::WorkbookWriter(XlsStream& stream) : stream_(stream) {}

void WorkbookWriter::SendRecord(uint16_t id) {
  const size_t length = record_.size() - 4;
  if (length > kMaxRecordData) throw std::length_error("Record data longer than one record holds");
  BiffBytes(record_).PatchAt<uint16_t>(0, id).PatchAt<uint16_t>(2, static_cast<uint16_t>(length));
  stream_.Write(record_.data(), record_.size());
}

void WorkbookWriter::WriteWordRecord(uint16_t id, uint16_t value) {
  WriteRecord(id, [&](BiffBytes& d) { d.U16(value); });
}

void WorkbookWriter::WriteWordRecords(std::initializer_list<WordRecord> records) {
  for (const WordRecord& record : records) WriteWordRecord(record.id, record.value);
}

void WorkbookWriter::WriteBOF(uint16_t substreamType) {
  // BIFF8, build 0x0DBB of 1996, file history flags 0, lowest version 6 that can read it.
  WriteRecord(rid::kBof, [&](BiffBytes& d) {
    d.U16(0x0600).U16(substreamType).U16(0x0DBB).U16(0x07CC).U32(0).U32(0x0206);
  });
}

void WorkbookWriter::WriteEOF() {
  WriteRecord(rid::kEof, [](BiffBytes&) {});
}

void WorkbookWriter::WriteDimensions() {
  CurrentSheet().DimensionsPosition = static_cast<uint32_t>(stream_.Position());
  WriteRecord(rid::kDimensions, [](BiffBytes& d) { d.Zeros(14); });
}

void WorkbookWriter::WriteGlobalsHead() {
  WriteBOF(0x0005);
  // WRITEACCESS: the banner as 8-bit characters, padded with blanks to 112 bytes.
  const std::string banner = std::string(kProductName) + " " + kProductVersion;
  WriteRecord(rid::kWriteAccess, [&](BiffBytes& d) {
    d.U16(static_cast<uint16_t>(banner.size())).U8(0).Bytes(banner);
    d.Bytes(std::string(112 - 3 - banner.size(), ' '));
  });
  // Code page 1252, no double stream, 14 function groups, nothing protected.
  WriteWordRecords({{rid::kCodePage, 1252},
                    {rid::kDsf, 0},
                    {rid::kFnGroupCount, 14},
                    {rid::kWindowProtect, 0},
                    {rid::kProtect, 0},
                    {rid::kPassword, 0},
                    {rid::kProt4Rev, 0},
                    {rid::kProt4RevPass, 0}});
  // WINDOW1: position and size of the window in twips, tab bar shown, first sheet shown and
  // selected, one sheet selected, tab bar width.
  WriteRecord(rid::kWindow1, [](BiffBytes& d) {
    for (uint16_t word : {120, 120, 23820, 15720, 0x0038, 0, 0, 1, 600}) d.U16(word);
  });
  // No backup, objects shown, dates from 1900, full precision, no refresh on load, external
  // links saved.
  WriteWordRecords({{rid::kBackup, 0},
                    {rid::kHideObj, 0},
                    {rid::kDateMode, 0},
                    {rid::kPrecision, 1},
                    {rid::kRefreshAll, 0},
                    {rid::kBookBool, 0}});
  insertionPosition_ = stream_.Position();
  WriteEOF();
}

TxlsBoundSheet& WorkbookWriter::AddBoundSheet(int sheetIndex, const std::u16string& name) {
  TxlsBoundSheet sheet;
  sheet.SheetIndex = sheetIndex;
  sheet.Name = name;
  sheet.BofPosition = static_cast<uint32_t>(stream_.Position());
  boundSheets_.push_back(sheet);
  return boundSheets_.back();
}

void WorkbookWriter::WriteGlobalsBlock(XlsByteSink& out, uint64_t blockPosition) {
  XlsBuffer styles;
  styles_.WriteRecords(styles);
  StyleTable::WritePalette(styles);
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

std::vector<uint8_t> WorkbookWriter::BuildGlobalsBlock() {
  XlsBuffer block;
  WriteGlobalsBlock(block, insertionPosition_);
  return std::move(block.Bytes());
}

void WorkbookWriter::Finish() {
  const uint64_t end = stream_.Size();
  for (const TxlsBoundSheet& sheet : boundSheets_) {
    if (!sheet.HasRange()) continue;
    std::vector<uint8_t> range;
    BiffBytes(range)
        .U32(static_cast<uint32_t>(sheet.FirstRow))
        .U32(static_cast<uint32_t>(sheet.LastRow + 1))
        .U16(static_cast<uint16_t>(sheet.FirstCol))
        .U16(static_cast<uint16_t>(sheet.LastCol + 1));
    stream_.Seek(sheet.DimensionsPosition + 4);
    stream_.Write(range.data(), range.size());
  }
  // The block is written behind the sheets and then moved in front of them: the sheets' bytes
  // are neither copied nor held twice.
  stream_.Seek(end);
  WriteGlobalsBlock(stream_, insertionPosition_);
  stream_.MoveTail(end, insertionPosition_);
}

}  // namespace vorlix::exporter::xls
