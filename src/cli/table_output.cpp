#include "cli/table_output.h"

#include <array>
#include <cstdio>
#include <stdexcept>

#include "platform/text_encoding.h"

namespace vorlix::cli {

namespace {

// True when the text from `at` begins with something the TSV reader takes as an escape.
bool StartsEscape(std::string_view value, size_t at) {
  if (at >= value.size()) return false;
  const char c = value[at];
  return c == '\t' || c == '\n' || c == '\r' || c == '\\' || c == 't' || c == 'n' || c == 'r';
}

// U+FFFD REPLACEMENT CHARACTER in UTF-8, for a byte that is not valid UTF-8.
constexpr char kReplacement[] = "\xEF\xBF\xBD";

// A row's cells, or the captions, with `separator` between them and `lineEnd` after.
template <typename Field, typename Texts>
void WriteLine(std::ostream& out, char separator, const char* lineEnd, Field field,
               const Texts& texts) {
  for (size_t c = 0; c < texts.size(); ++c) {
    if (c) out << separator;
    out << field(texts[c]);
  }
  out << lineEnd;
}

std::array<std::string_view, core::kMemberColumnCount> CellsOf(const core::MemberRow& row) {
  std::array<std::string_view, core::kMemberColumnCount> cells;
  for (int c = 0; c < core::kMemberColumnCount; ++c)
    cells[static_cast<size_t>(c)] = row.ColumnText(c);
  return cells;
}

}  // namespace

TableFormat TableFormatOf(const std::string& name) {
  if (name == "tsv") return TableFormat::kTsv;
  if (name == "csv") return TableFormat::kCsv;
  if (name == "json") return TableFormat::kJson;
  throw std::invalid_argument("unknown table format \"" + name + "\"");
}

const std::vector<std::string>& TableFormatNames() {
  static const std::vector<std::string> names = {"tsv", "csv", "json"};
  return names;
}

std::string TsvField(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    switch (value[i]) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += StartsEscape(value, i + 1) ? "\\\\" : "\\";
        break;
      default:
        out += value[i];
    }
  }
  return out;
}

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string JsonString(std::string_view value) {
  std::string out = "\"";
  for (size_t i = 0; i < value.size();) {
    const auto byte = static_cast<unsigned char>(value[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", byte);
      out += code;
    } else if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else {
      char32_t codePoint = 0;
      const int length = platform::DecodeUtf8(value, i, codePoint);
      if (length == 0) {
        out += kReplacement;
        ++i;
        continue;
      }
      out.append(value.substr(i, static_cast<size_t>(length)));
      i += static_cast<size_t>(length);
      continue;
    }
    ++i;
  }
  return out + "\"";
}

TableWriter::TableWriter(std::ostream& out, TableFormat format,
                         const core::ColumnCaptions& captions)
    : out_(out), format_(format) {
  switch (format_) {
    case TableFormat::kTsv:
      WriteLine(out_, '\t', "\n", TsvField, captions);
      break;
    case TableFormat::kCsv:
      WriteLine(out_, ',', "\r\n", CsvField, captions);
      break;
    case TableFormat::kJson:
      // Columns without a caption are left out.
      for (size_t c = 0; c < captions.size(); ++c) {
        if (!captions[c].empty())
          jsonKeys_.emplace_back(static_cast<int>(c), JsonString(captions[c]));
      }
      out_ << '[';
      break;
  }
}

void TableWriter::Write(const core::MemberRow& row) {
  if (!out_) return;
  switch (format_) {
    case TableFormat::kTsv:
      WriteLine(out_, '\t', "\n", TsvField, CellsOf(row));
      break;
    case TableFormat::kCsv:
      WriteLine(out_, ',', "\r\n", CsvField, CellsOf(row));
      break;
    case TableFormat::kJson:
      out_ << (rows_ ? ",\n" : "\n") << "  {";
      for (size_t k = 0; k < jsonKeys_.size(); ++k) {
        out_ << (k ? ", " : "") << jsonKeys_[k].second << ": "
             << JsonString(row.ColumnText(jsonKeys_[k].first));
      }
      out_ << '}';
      break;
  }
  ++rows_;
}

void TableWriter::Finish() {
  if (format_ == TableFormat::kJson && out_) out_ << (rows_ == 0 ? "]\n" : "\n]\n");
}

void WriteTable(std::ostream& out, TableFormat format, const core::ColumnCaptions& captions,
                const std::vector<core::MemberRow>& rows) {
  TableWriter writer(out, format, captions);
  for (const core::MemberRow& row : rows) writer.Write(row);
  writer.Finish();
}

}  // namespace vorlix::cli
