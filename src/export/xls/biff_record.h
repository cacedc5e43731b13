#pragma once
// Records held in memory before they are written: a 4-byte header (id, length) and the data,
// split into CONTINUE records of at most 8220 data bytes each when it is longer.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/xls/xls_stream.h"
#include "platform/little_endian.h"

namespace vorlix::exporter::xls {

// Record ids used by the writer.
namespace rid {
constexpr uint16_t kFormula = 0x0006, kEof = 0x000A, kCalcCount = 0x000C, kCalcMode = 0x000D,
                   kPrecision = 0x000E, kRefMode = 0x000F, kDelta = 0x0010, kIteration = 0x0011,
                   kProtect = 0x0012, kPassword = 0x0013, kHeader = 0x0014, kFooter = 0x0015,
                   kExternSheet = 0x0017, kWindowProtect = 0x0019, kSelection = 0x001D,
                   kDateMode = 0x0022, kPrintHeaders = 0x002A, kPrintGridlines = 0x002B,
                   kFont = 0x0031, kContinue = 0x003C, kWindow1 = 0x003D, kBackup = 0x0040,
                   kCodePage = 0x0042, kDefColWidth = 0x0055, kWriteAccess = 0x005C,
                   kSaveRecalc = 0x005F, kColInfo = 0x007D, kGuts = 0x0080, kWsBool = 0x0081,
                   kGridSet = 0x0082, kHCenter = 0x0083, kVCenter = 0x0084, kBoundSheet = 0x0085,
                   kCountry = 0x008C, kHideObj = 0x008D, kPalette = 0x0092, kFnGroupCount = 0x009C,
                   kBookBool = 0x00DA, kXF = 0x00E0, kMergedCells = 0x00E5, kBitmap = 0x00E9,
                   kMsoDrawingGroup = 0x00EB, kSst = 0x00FC, kLabelSst = 0x00FD, kExtSst = 0x00FF,
                   kDsf = 0x0161, kSupBook = 0x01AE, kProt4Rev = 0x01AF, kRefreshAll = 0x01B7,
                   kHlink = 0x01B8, kProt4RevPass = 0x01BC, kDimensions = 0x0200, kBlank = 0x0201,
                   kNumber = 0x0203, kBoolErr = 0x0205, kDefaultRowHeight = 0x0225,
                   kWindow2 = 0x023E, kStyle = 0x0293, kHlinkTooltip = 0x0800, kBof = 0x0809,
                   kFormat = 0x041E;
}  // namespace rid

// Largest data of one record, and the largest piece a record object writes per record.
constexpr size_t kMaxRecordData = 8224;
constexpr size_t kRecordPiece = 8220;

// Record data as it is built: values appended least significant byte first.
using BiffBytes = platform::ByteWriter<std::vector<uint8_t>>;

// Appends the UTF-16 code units of text, without a length or a terminator.
inline void PutUtf16(BiffBytes& out, std::u16string_view text) {
  for (char16_t c : text) out.U16(c);
}

// Writes a record in one piece, for records that readers do not accept with CONTINUE
// records (a hyperlink and its screen tip); data longer than kMaxRecordData raises.
void WriteWholeRecord(XlsByteSink& stream, uint16_t id, const std::vector<uint8_t>& data);

class TbiffRecord {
 public:
  TbiffRecord(std::vector<uint8_t> data, uint16_t id);
  TbiffRecord(size_t dataSize, uint16_t id);
  virtual ~TbiffRecord() = default;

  virtual uint32_t GetDataSize() const { return dataSize_; }
  virtual uint32_t GetRecordSize() const;
  // Writes the header and data, continuing in CONTINUE records, then the child record.
  virtual void SaveToStream(XlsByteSink& stream) const;
  virtual void ClearData();

  uint16_t Id() const { return id_; }
  uint8_t* Data() { return data_.data(); }
  const uint8_t* Data() const { return data_.data(); }
  void SetChild(std::unique_ptr<TbiffRecord> child) { child_ = std::move(child); }
  const TbiffRecord* Child() const { return child_.get(); }

 protected:
  uint16_t id_;
  uint16_t dataSize_;
  std::vector<uint8_t> data_;
  std::unique_ptr<TbiffRecord> child_;
};

class TbiffBoundSheet : public TbiffRecord {
 public:
  explicit TbiffBoundSheet(const std::u16string& name);
  void SetBofPosition(uint32_t position) { platform::StoreLittleEndian(Data(), position); }
};

class TbiffCountry : public TbiffRecord {
 public:
  TbiffCountry(uint16_t defaultCountry, uint16_t systemCountry);
};

class TbiffSupbookInternal : public TbiffRecord {
 public:
  explicit TbiffSupbookInternal(uint16_t sheetCount);
};

class TbiffExternSheet : public TbiffRecord {
 public:
  struct Entry {
    uint16_t supbook, firstSheet, lastSheet;
  };
  explicit TbiffExternSheet(const std::vector<Entry>& entries);
};

// Drawing-group container; its data may exceed one record, hence a 32-bit size of its own.
class TbiffMSODrawingGroup : public TbiffRecord {
 public:
  explicit TbiffMSODrawingGroup(std::vector<uint8_t> data);
  uint32_t GetDataSize() const override { return static_cast<uint32_t>(data_.size()); }
};

}  // namespace vorlix::exporter::xls
