#include "cli/table_output.h"

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

template <typename Field>
void WriteDelimited(std::ostream& out, char separator, const char* lineEnd, Field field,
                    const std::array<std::string, 5>& captions,
                    const std::vector<core::MemberRow>& rows) {
  for (size_t c = 0; c < captions.size(); ++c) {
    if (c) out << separator;
    out << field(captions[c]);
  }
  out << lineEnd;
  for (const core::MemberRow& row : rows) {
    if (!out) return;
    out << field(row.caption);
    for (const std::string& cell : row.cells) out << separator << field(cell);
    out << lineEnd;
  }
}

void WriteJson(std::ostream& out, const std::array<std::string, 5>& captions,
               const std::vector<core::MemberRow>& rows) {
  std::vector<std::pair<int, std::string>> keys;
  for (size_t c = 0; c < captions.size(); ++c) {
    if (!captions[c].empty()) keys.emplace_back(static_cast<int>(c), JsonString(captions[c]));
  }
  out << '[';
  for (size_t r = 0; r < rows.size() && out; ++r) {
    out << (r ? ",\n" : "\n") << "  {";
    for (size_t k = 0; k < keys.size(); ++k) {
      out << (k ? ", " : "") << keys[k].second << ": "
          << JsonString(rows[r].ColumnText(keys[k].first));
    }
    out << '}';
  }
  out << (rows.empty() ? "]\n" : "\n]\n");
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

void WriteTable(std::ostream& out, TableFormat format, const std::array<std::string, 5>& captions,
                const std::vector<core::MemberRow>& rows) {
  switch (format) {
    case TableFormat::kTsv:
      WriteDelimited(out, '\t', "\n", TsvField, captions, rows);
      break;
    case TableFormat::kCsv:
      WriteDelimited(out, ',', "\r\n", CsvField, captions, rows);
      break;
    case TableFormat::kJson:
      WriteJson(out, captions, rows);
      break;
  }
}

}  // namespace vorlix::cli
