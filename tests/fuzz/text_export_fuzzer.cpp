// The text exporter (CSV, fixed-width text, DIF, SYLK) over generated rows, read back with the
// readers of text_readers.h: what was written must read back as the rows that went in, for
// every value and every layout option the fuzzer picks.
//
// Options byte: bits 0-1 the format (TXT, CSV, DIF, SYLK); bit 2 captions; bit 3 guess column
// types (structure checked, values not); bit 4 CSV without quotes (structure not checked);
// bits 5-6 the CSV separator (";", ",", TAB, "|"); bit 7 the quote "'" instead of '"'.
// Second byte: bits 0-3 records to skip, bits 4-7 records to export (0: all).
// Parameter byte: blanks after every fixed-width field (0-3).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "export/morvat3_ascii.h"
#include "export/morvat_messages.h"
#include "fuzz_support.h"
#include "support/memory_sources.h"
#include "text_readers.h"

namespace {

using namespace vorlix;
using exporter::TMorvat3ASCII;

// The text as the format carries it. The line-based layouts keep every value on its line: there
// CR LF, a lone CR and a lone LF each read back as one blank, and in fixed-width text a TAB too;
// fixed-width text then pads with blanks, so trailing blanks do not read back.
std::string Expected(const std::string& text, exporter::TMorvatASCIIType type) {
  if (type == exporter::etCSV) return text;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += c == '\r' || c == '\n' || (c == '\t' && type == exporter::etTXT) ? ' ' : c;
  }
  if (type == exporter::etTXT) out.erase(out.find_last_not_of(' ') + 1);
  return out;
}

// With guessed column types only the number of rows is known; else every value.
void Compare(const fuzz::Rows& expected, const fuzz::Rows& read, bool typed, const char* format) {
  if (typed && read.size() != expected.size()) {
    fuzz::Fail(std::string(format) + " has the wrong number of rows");
  }
  if (!typed && expected != read) {
    fuzz::Fail(std::string(format) + " read back differs\nexpected:\n" +
               fuzz::DescribeRows(expected) + "read:\n" + fuzz::DescribeRows(read));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::GeneratedTable table = fuzz::DecodeTable(data, size);
  const auto type = static_cast<exporter::TMorvatASCIIType>(table.options & 3);
  const bool captions = (table.options & 4) != 0;
  const bool typed = (table.options & 8) != 0;
  const bool unquoted = (table.options & 16) != 0;
  static const char kSeparators[] = {';', ',', '\t', '|'};
  const char separator = kSeparators[(table.options >> 5) & 3];
  const char quote = (table.options & 128) != 0 ? '\'' : '"';
  const int skip = table.moreOptions & 15;
  const int count = table.moreOptions >> 4;
  const int spacing = table.parameter & 3;

  // The fixed-width reader counts characters, so its text must be well-formed UTF-8.
  if (type == exporter::etTXT) {
    for (std::string& caption : table.captions) caption = fuzz::ValidUtf8(caption);
    for (auto& row : table.rows) {
      for (std::string& value : row) value = fuzz::ValidUtf8(value);
    }
  }

  exporter::MemoryListView list;
  fuzz::FillListView(list, table);
  TMorvat3ASCII exporter;
  exporter.ExportSource = exporter::esListView;
  exporter.ListView = &list;
  exporter.SetExportType(type);
  exporter.AllowCaptions = captions;
  exporter.AutoCalcStrType = typed;
  exporter.SkipRecCount = skip;
  exporter.ExportRecCount = count;
  exporter.CSVComma = separator;
  exporter.CSVQuote = quote;
  exporter.CSVQuoteStrings = !unquoted;
  exporter.TXTSpacing = spacing;

  exporter::MorvatMemoryStream stream;
  try {
    exporter.ExportToStream(stream);
  } catch (const exporter::EMorvatError&) {
    return 0;  // refused with a message: not a fault
  }
  const std::string& written = stream.Data();

  // What should read back: the caption row, then the records in range.
  fuzz::Rows expected;
  if (captions) {
    std::vector<std::string> row;
    for (const std::string& caption : table.captions) row.push_back(Expected(caption, type));
    expected.push_back(row);
  }
  const size_t first = std::min(static_cast<size_t>(skip), table.rows.size());
  size_t last = table.rows.size();
  if (count > 0) last = std::min(last, first + static_cast<size_t>(count));
  for (size_t r = first; r < last; ++r) {
    std::vector<std::string> row;
    for (const std::string& value : table.rows[r])
      row.push_back(Expected(fuzz::Trimmed(value), type));
    expected.push_back(row);
  }

  std::string error;
  switch (type) {
    case exporter::etCSV: {
      if (unquoted) break;  // values may hold the separator: nothing to read back
      const auto rows = fuzz::ReadDelimited(written, separator, quote, error);
      if (!rows) fuzz::Fail("CSV does not read back: " + error);
      Compare(expected, *rows, typed, "CSV");
      break;
    }
    case exporter::etTXT: {
      const auto lines = fuzz::ReadCrLfLines(written, error);
      if (!lines) fuzz::Fail("fixed-width text does not read back: " + error);
      std::vector<int> widths;
      for (int i = 0; i < exporter.Columns.Count(); ++i)
        widths.push_back(exporter.Columns[i].Width);
      std::vector<std::string> body(*lines);
      if (!body.empty() && body.back().empty()) body.pop_back();  // after the final line end
      const auto rows = fuzz::ReadFixedWidth(body, widths, spacing, error);
      if (!rows) fuzz::Fail("fixed-width text does not read back: " + error);
      Compare(expected, *rows, typed, "TXT");
      break;
    }
    case exporter::etDIF: {
      const auto dif = fuzz::ReadDif(written, error);
      if (!dif) fuzz::Fail("DIF does not read back: " + error);
      if (dif->vectors != static_cast<int>(table.captions.size())) fuzz::Fail("DIF VECTORS wrong");
      if (dif->tuples != static_cast<int>(dif->rows.size())) fuzz::Fail("DIF TUPLES wrong");
      Compare(expected, dif->rows, typed, "DIF");
      for (const auto& kinds : dif->kinds) {
        for (const auto& kind : kinds) {
          if (!typed && kind != "string") fuzz::Fail("DIF wrote a text column as a number");
        }
      }
      break;
    }
    case exporter::etSYLK: {
      const auto grid = fuzz::ReadSylk(written, error);
      if (!grid) fuzz::Fail("SYLK does not read back: " + error);
      // The grid ends at the last value; rows and columns of empty texts still count.
      fuzz::Rows padded = *grid;
      padded.resize(expected.size());
      for (auto& row : padded) row.resize(table.captions.size());
      if (grid->size() > expected.size()) fuzz::Fail("SYLK has more rows than were exported");
      Compare(expected, padded, typed, "SYLK");
      break;
    }
  }
  return 0;
}
