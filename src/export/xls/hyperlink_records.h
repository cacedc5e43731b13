#pragma once
// Hyperlink records of a sheet's tail: HLINK, with a URL moniker or a file moniker, and
// HLINKTOOLTIP for a link's screen tip.

#include <cstdint>
#include <vector>

#include "export/xls/sheet_items.h"
#include "export/xls/xls_stream.h"

namespace vorlix::exporter::xls {

// Data of the HLINK record of a link.
std::vector<uint8_t> HyperlinkData(const TxlsHyperlink& link);

// Data of the HLINKTOOLTIP record of a link's screen tip.
std::vector<uint8_t> ScreenTipData(const TxlsHyperlink& link);

// HLINK, then HLINKTOOLTIP when the link has a screen tip. Each goes out as one record: readers
// refuse a hyperlink continued in a CONTINUE record, and the sheet checks keep both within one.
void WriteHyperlinkRecords(XlsByteSink& out, const TxlsHyperlink& link);

}  // namespace vorlix::exporter::xls
