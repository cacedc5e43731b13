#include "export/xls/biff_record.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vorlix::exporter::xls {

void PutDouble(uint8_t* p, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

void WriteWholeRecord(TxlsByteSink& stream, uint16_t id, const std::vector<uint8_t>& data) {
  if (data.size() > kMaxRecordData)
    throw std::length_error("Record data longer than one record can hold");
  stream.WriteU16(id);
  stream.WriteU16(static_cast<uint16_t>(data.size()));
  if (!data.empty()) stream.Write(data.data(), data.size());
}

TbiffRecord::TbiffRecord(std::vector<uint8_t> data, uint16_t id)
    : id_(id),
      dataSize_(static_cast<uint16_t>(std::min<size_t>(data.size(), 0xFFFF))),
      data_(std::move(data)) {}

TbiffRecord::TbiffRecord(size_t dataSize, uint16_t id)
    : TbiffRecord(std::vector<uint8_t>(dataSize, 0), id) {
  if (dataSize > 0xFFFF) throw std::length_error("Record data longer than 65535 bytes");
}

uint32_t TbiffRecord::GetRecordSize() const {
  return GetDataSize() + 4 + (child_ ? child_->GetRecordSize() : 0);
}

void TbiffRecord::SaveToStream(TxlsByteSink& stream) const {
  uint32_t remaining = GetDataSize();
  const uint8_t* p = data_.data();
  uint16_t id = id_;
  do {
    uint16_t piece = static_cast<uint16_t>(std::min<uint32_t>(remaining, kRecordPiece));
    stream.WriteU16(id);
    stream.WriteU16(piece);
    if (piece > 0) stream.Write(p, piece);
    p += piece;
    remaining -= piece;
    id = rid::kContinue;
  } while (remaining > 0);
  if (child_) child_->SaveToStream(stream);
}

void TbiffRecord::ClearData() {
  std::fill(data_.begin(), data_.end(), 0);
}

TbiffBoundSheet::TbiffBoundSheet(const std::u16string& name)
    : TbiffRecord(8 + 2 * name.size(), rid::kBoundSheet) {
  uint8_t* d = Data();
  d[4] = 0;  // visible
  d[5] = 0;  // worksheet
  d[6] = static_cast<uint8_t>(name.size());
  d[7] = 0x01;
  for (size_t i = 0; i < name.size(); ++i) PutU16(d + 8 + 2 * i, name[i]);
}

TbiffCountry::TbiffCountry(uint16_t defaultCountry, uint16_t systemCountry)
    : TbiffRecord(4, rid::kCountry) {
  PutU16(Data(), defaultCountry);
  PutU16(Data() + 2, systemCountry);
}

TbiffSupbookInternal::TbiffSupbookInternal(uint16_t sheetCount) : TbiffRecord(4, rid::kSupBook) {
  PutU16(Data(), sheetCount);
  PutU16(Data() + 2, 0x0401);
}

TbiffExternSheet::TbiffExternSheet(const std::vector<Entry>& entries)
    : TbiffRecord(2 + 6 * entries.size(), rid::kExternSheet) {
  PutU16(Data(), static_cast<uint16_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    PutU16(Data() + 2 + 6 * i, entries[i].supbook);
    PutU16(Data() + 4 + 6 * i, entries[i].firstSheet);
    PutU16(Data() + 6 + 6 * i, entries[i].lastSheet);
  }
}

TbiffMSODrawingGroup::TbiffMSODrawingGroup(std::vector<uint8_t> data)
    : TbiffRecord(std::move(data), rid::kMsoDrawingGroup) {}

}  // namespace vorlix::exporter::xls
