#pragma once
// The member table as text for scripts: tab-separated (the default), CSV or JSON.
//
// TSV: one line per row, cells separated by TAB. TAB, LF and CR inside a value are written as
// \t, \n and \r; a backslash is doubled only where it would otherwise start one of these escapes
// or "\\". Every other value is written as it is, so a name such as anna\.berg reads unchanged.
// CSV: RFC 4180 (comma, CRLF line ends, a value with a comma, quote, CR or LF quoted, quotes
// doubled). JSON: an array of objects, one per row, keyed by the column captions; columns without
// a caption are left out. Text that is not valid UTF-8 gets U+FFFD in place of each bad byte.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/kinds.h"
#include "app/core/member_row.h"

namespace vorlix::cli {

enum class TableFormat { kTsv, kCsv, kJson };

// The format of a --format value ("tsv", "csv", "json"); throws std::invalid_argument otherwise.
TableFormat TableFormatOf(const std::string& name);
// The --format values, in the order help lists them.
const std::vector<std::string>& TableFormatNames();

// Writes a table as its rows come: the captions at once, each row when it is given, and what
// closes the table at Finish. Writes nothing more once `out` has failed.
class TableWriter {
 public:
  TableWriter(std::ostream& out, TableFormat format, const core::ColumnCaptions& captions);
  void Write(const core::MemberRow& row);
  void Finish();

 private:
  // Hands the line put together in line_ to `out` in one write.
  void Flush();

  std::ostream& out_;
  TableFormat format_;
  std::vector<std::pair<int, std::string>> jsonKeys_;  // column and quoted caption
  std::string line_;  // the row being written; kept to reuse its room
  size_t rows_ = 0;
};

// Writes the captions and the rows.
void WriteTable(std::ostream& out, TableFormat format, const core::ColumnCaptions& captions,
                const std::vector<core::MemberRow>& rows);

// One value in each format's quoting (exposed for tests).
std::string TsvField(std::string_view value);
std::string CsvField(std::string_view value);
std::string JsonString(std::string_view value);

}  // namespace vorlix::cli
