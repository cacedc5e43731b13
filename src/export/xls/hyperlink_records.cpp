#include "export/xls/hyperlink_records.h"

#include "export/xls/biff_record.h"
#include "export/xls/text_codec.h"
#include "platform/text_encoding.h"

namespace vorlix::exporter::xls {

namespace {

constexpr uint8_t kStdLinkClsid[16] = {0xD0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                       0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t kUrlMonikerClsid[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                          0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t kFileMonikerClsid[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr uint32_t kStdLinkVersion = 2;
// The link has a moniker (0x01), is absolute (0x02) and has a display name, given by the site
// (0x04 | 0x10).
constexpr uint32_t kStdLinkFlags = 0x17;
// A file moniker's fixed block after the short path: the version 0xDEAD, then 20 reserved
// bytes.
constexpr uint32_t kFileMonikerEnd = 0xDEADFFFF;
constexpr size_t kFileMonikerReserved = 20;
// Key value of the extended path that follows.
constexpr uint16_t kExtendedPathKey = 3;

// The cell range a hyperlink covers: its one cell, 0-based.
void PutLinkRange(BiffBytes& d, const TxlsHyperlink& link) {
  const auto row = static_cast<uint16_t>(link.Row - 1);
  const auto col = static_cast<uint16_t>(link.Col - 1);
  d.U16(row).U16(row).U16(col).U16(col);
}

// The text in UTF-16 and its terminating zero.
void PutTerminatedUtf16(BiffBytes& d, const std::u16string& text) {
  PutUtf16(d, text);
  d.U16(0);
}

}  // namespace

std::vector<uint8_t> HyperlinkData(const TxlsHyperlink& link) {
  const std::u16string title = Utf16FromUtf8(link.Title);
  const std::u16string target = Utf16FromUtf8(link.Target);
  std::vector<uint8_t> data;
  BiffBytes d(data);
  PutLinkRange(d, link);
  d.Bytes(kStdLinkClsid, 16).U32(kStdLinkVersion).U32(kStdLinkFlags);
  d.U32(static_cast<uint32_t>(title.size() + 1));
  PutTerminatedUtf16(d, title);
  if (link.Style == hlsURL) {
    d.Bytes(kUrlMonikerClsid, 16).U32(static_cast<uint32_t>(2 * target.size() + 2));
    PutTerminatedUtf16(d, target);
    return data;
  }
  // File moniker: no parent-directory steps, the 8-bit short path (its own bytes in the code
  // page, "?" for what it lacks), the fixed block, then the UTF-16 path.
  d.Bytes(kFileMonikerClsid, 16).U16(0);
  d.U32(static_cast<uint32_t>(target.size() + 1));
  for (char16_t c : target) {
    const int code = platform::ToCp1252(c);
    d.U8(code < 0 ? '?' : static_cast<uint8_t>(code));
  }
  d.U8(0).U32(kFileMonikerEnd).Zeros(kFileMonikerReserved);
  const auto pathBytes = static_cast<uint32_t>(2 * target.size());
  d.U32(pathBytes + 6);  // size of the byte count, the key value and the path
  d.U32(pathBytes).U16(kExtendedPathKey);
  PutUtf16(d, target);
  return data;
}

std::vector<uint8_t> ScreenTipData(const TxlsHyperlink& link) {
  std::vector<uint8_t> data;
  BiffBytes d(data);
  d.U16(rid::kHlinkTooltip);
  PutLinkRange(d, link);
  PutTerminatedUtf16(d, Utf16FromUtf8(link.ScreenTip));
  return data;
}

void WriteHyperlinkRecords(XlsByteSink& out, const TxlsHyperlink& link) {
  WriteWholeRecord(out, rid::kHlink, HyperlinkData(link));
  if (!link.ScreenTip.empty()) WriteWholeRecord(out, rid::kHlinkTooltip, ScreenTipData(link));
}

}  // namespace vorlix::exporter::xls
