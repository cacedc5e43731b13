#include "export/xls/biff_record.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

namespace vorlix::exporter::xls {

namespace {

// BOUNDSHEET: the BOF position (set later), visible worksheet, the name in UTF-16.
std::vector<uint8_t> BoundSheetData(const std::u16string& name) {
  std::vector<uint8_t> data;
  BiffBytes d(data);
  d.U32(0).U8(0).U8(0).U8(static_cast<uint8_t>(name.size())).U8(0x01);
  PutUtf16(d, name);
  return data;
}

std::vector<uint8_t> Words(std::initializer_list<uint16_t> words) {
  std::vector<uint8_t> data;
  BiffBytes d(data);
  for (uint16_t w : words) d.U16(w);
  return data;
}

std::vector<uint8_t> ExternSheetData(const std::vector<TbiffExternSheet::Entry>& entries) {
  std::vector<uint8_t> data;
  BiffBytes d(data);
  d.U16(static_cast<uint16_t>(entries.size()));
  for (const auto& e : entries) d.U16(e.supbook).U16(e.firstSheet).U16(e.lastSheet);
  return data;
}

}  // namespace

void WriteWholeRecord(XlsByteSink& stream, uint16_t id, const std::vector<uint8_t>& data) {
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

void TbiffRecord::SaveToStream(XlsByteSink& stream) const {
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
    : TbiffRecord(BoundSheetData(name), rid::kBoundSheet) {}

TbiffCountry::TbiffCountry(uint16_t defaultCountry, uint16_t systemCountry)
    : TbiffRecord(Words({defaultCountry, systemCountry}), rid::kCountry) {}

TbiffSupbookInternal::TbiffSupbookInternal(uint16_t sheetCount)
    : TbiffRecord(Words({sheetCount, 0x0401}), rid::kSupBook) {}

TbiffExternSheet::TbiffExternSheet(const std::vector<Entry>& entries)
    : TbiffRecord(ExternSheetData(entries), rid::kExternSheet) {}

TbiffMSODrawingGroup::TbiffMSODrawingGroup(std::vector<uint8_t> data)
    : TbiffRecord(std::move(data), rid::kMsoDrawingGroup) {}

}  // namespace vorlix::exporter::xls
