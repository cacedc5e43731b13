#pragma once
// Reading back delimited text with double-quote quoting (RFC 4180 style): what the CSV exporter,
// vorlix-cli and ssconvert write, for tests that compare it with what they expect.

#include <string>
#include <vector>

namespace vorlix::testing {

using CsvTable = std::vector<std::vector<std::string>>;

// The rows of the text, each a list of fields; a doubled quote inside quotes is one quote, and a
// line ends in LF, CR LF or CR.
inline CsvTable ParseCsv(const std::string& text, char separator = ',') {
  CsvTable table;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      row.push_back(field);
      field.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      row.push_back(field);
      table.push_back(row);
      row.clear();
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty() || !row.empty()) {
    row.push_back(field);
    table.push_back(row);
  }
  return table;
}

}  // namespace vorlix::testing
