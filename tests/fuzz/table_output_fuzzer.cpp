// The member table as vorlix-cli writes it for scripts (members --format tsv|csv|json), over
// generated rows (fuzz_support.h; the first five captions and cells count). Read back with
// readers of the formats' own, each format gives back what went in:
// - TSV: lines of TAB-separated fields, read with the escapes \t, \n, \r and \\ (a backslash
//   before anything else stands for itself): every value exactly;
// - CSV (RFC 4180): every value exactly;
// - JSON, read by nlohmann's strict parser: an array of objects whose keys are the captioned
//   columns' captions, in order; every value with each byte that is not UTF-8 read as U+FFFD.

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/table_output.h"
#include "fuzz_support.h"
#include "text_readers.h"

namespace {

using namespace vorlix;
using fuzz::Fail;
using fuzz::Rows;

constexpr char kReplacement[] = "\xEF\xBF\xBD";

std::string Written(cli::TableFormat format, const std::array<std::string, 5>& captions,
                    const std::vector<core::MemberRow>& rows) {
  std::ostringstream out;
  cli::WriteTable(out, format, captions, rows);
  return out.str();
}

std::string Unescaped(const std::string& field) {
  std::string value;
  for (size_t i = 0; i < field.size(); ++i) {
    const char next = i + 1 < field.size() ? field[i + 1] : '\0';
    if (field[i] != '\\' || (next != 't' && next != 'n' && next != 'r' && next != '\\')) {
      value += field[i];
      continue;
    }
    value += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
    ++i;
  }
  return value;
}

Rows ReadTsv(const std::string& text) {
  Rows rows;
  if (text.empty() || text.back() != '\n') Fail("TSV does not end with a line end");
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    std::vector<std::string> row;
    size_t field = start;
    for (;;) {
      const size_t tab = text.find('\t', field);
      const size_t stop = tab < end ? tab : end;
      row.push_back(Unescaped(text.substr(field, stop - field)));
      if (stop == end) break;
      field = stop + 1;
    }
    rows.push_back(row);
    start = end + 1;
  }
  return rows;
}

// Keys and values in the order they come, each array element's pairs as one row.
class JsonTable : public nlohmann::json::json_sax_t {
 public:
  Rows keys, values;
  bool topArrayEnded = false;
  std::string error;

  bool null() override { return Unexpected("null"); }
  bool boolean(bool) override { return Unexpected("a Boolean"); }
  bool number_integer(number_integer_t) override { return Unexpected("a number"); }
  bool number_unsigned(number_unsigned_t) override { return Unexpected("a number"); }
  bool number_float(number_float_t, const string_t&) override { return Unexpected("a number"); }
  bool binary(binary_t&) override { return Unexpected("binary data"); }
  bool string(string_t& text) override {
    if (depth_ != 2 || expectKey_) return Unexpected("a string out of place");
    values.back().push_back(text);
    expectKey_ = true;
    return true;
  }
  bool key(string_t& text) override {
    keys.back().push_back(text);
    expectKey_ = false;
    return true;
  }
  bool start_object(std::size_t) override {
    if (depth_ != 1) return Unexpected("an object out of place");
    ++depth_;
    keys.emplace_back();
    values.emplace_back();
    expectKey_ = true;
    return true;
  }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override {
    if (depth_ != 0 || topArrayEnded) return Unexpected("an array out of place");
    ++depth_;
    return true;
  }
  bool end_array() override {
    --depth_;
    topArrayEnded = true;
    return true;
  }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& e) override {
    error = "at " + std::to_string(position) + ": " + e.what();
    return false;
  }

 private:
  bool Unexpected(const std::string& what) {
    error = what;
    return false;
  }
  int depth_ = 0;
  bool expectKey_ = true;
};

void CheckJson(const std::string& written, const std::array<std::string, 5>& captions,
               const std::vector<core::MemberRow>& rows) {
  JsonTable table;
  if (!nlohmann::json::sax_parse(written, &table) || !table.topArrayEnded)
    Fail("JSON does not read back: " + table.error);
  if (table.values.size() != rows.size()) Fail("JSON has the wrong number of rows");
  std::vector<std::string> keys;
  std::vector<int> columns;
  for (int c = 0; c < 5; ++c) {
    if (captions[c].empty()) continue;
    keys.push_back(fuzz::ValidUtf8(captions[c], kReplacement));
    columns.push_back(c);
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (table.keys[r] != keys) Fail("a JSON row's keys are not the captions");
    std::vector<std::string> values;
    for (int c : columns) values.push_back(fuzz::ValidUtf8(rows[r].ColumnText(c), kReplacement));
    if (table.values[r] != values) Fail("a JSON row's values differ from the row's");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::GeneratedTable table = fuzz::DecodeTable(data, size);
  std::array<std::string, 5> captions;
  for (size_t c = 0; c < captions.size() && c < table.captions.size(); ++c)
    captions[c] = table.captions[c];
  std::vector<core::MemberRow> rows;
  for (const std::vector<std::string>& cells : table.rows) {
    core::MemberRow row;
    row.caption = cells[0];
    for (size_t c = 1; c < cells.size() && c <= row.cells.size(); ++c) row.cells[c - 1] = cells[c];
    rows.push_back(row);
  }
  Rows expected = {std::vector<std::string>(captions.begin(), captions.end())};
  for (const core::MemberRow& row : rows) {
    std::vector<std::string> line = {row.caption};
    line.insert(line.end(), row.cells.begin(), row.cells.end());
    expected.push_back(line);
  }

  if (ReadTsv(Written(cli::TableFormat::kTsv, captions, rows)) != expected)
    Fail("TSV does not read back as the rows");
  std::string error;
  const auto csv =
      fuzz::ReadDelimited(Written(cli::TableFormat::kCsv, captions, rows), ',', '"', error);
  if (!csv) Fail("CSV does not read back: " + error);
  if (*csv != expected) Fail("CSV does not read back as the rows");
  CheckJson(Written(cli::TableFormat::kJson, captions, rows), captions, rows);
  return 0;
}
