#include "cli/table_output.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

// The bytes that a TSV field writes as an escape: TAB, LF, CR and the backslash.
constexpr std::array<bool, 256> kTsvEscaped = [] {
  std::array<bool, 256> escaped{};
  for (const unsigned char c : {'\t', '\n', '\r', '\\'}) escaped[c] = true;
  return escaped;
}();

constexpr uint64_t kEveryByte = 0x0101010101010101;

// Whether any of the eight bytes of `word` is `byte`.
constexpr bool HoldsByte(uint64_t word, unsigned char byte) {
  const uint64_t x = word ^ (kEveryByte * byte);
  return ((x - kEveryByte) & ~x & (kEveryByte * 0x80)) != 0;
}

// Whether any of the eight bytes from `at` on is one that a TSV field escapes.
bool WordHoldsTsvEscape(const char* at) {
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return HoldsByte(word, '\t') || HoldsByte(word, '\n') || HoldsByte(word, '\r') ||
         HoldsByte(word, '\\');
}

// The position of the first byte from `from` on that a TSV field escapes (the size when none).
// Most values hold none, so eight bytes are looked at in one step until one of them may; the
// last step ends at the value's end.
size_t NextTsvEscaped(std::string_view value, size_t from) {
  constexpr size_t kStep = sizeof(uint64_t);
  while (from + kStep <= value.size() && !WordHoldsTsvEscape(value.data() + from)) from += kStep;
  if (from + kStep > value.size() && value.size() >= kStep &&
      !WordHoldsTsvEscape(value.data() + value.size() - kStep)) {
    return value.size();
  }
  while (from < value.size() && !kTsvEscaped[static_cast<unsigned char>(value[from])]) ++from;
  return from;
}

// Appends `value` to `out` as a TSV field: the text between the characters that need an escape is
// copied in one piece.
void AppendTsvField(std::string& out, std::string_view value) {
  size_t copied = 0;
  for (size_t i = NextTsvEscaped(value, 0); i < value.size(); i = NextTsvEscaped(value, i + 1)) {
    out.append(value.data() + copied, i - copied);
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
      default:  // a backslash
        out += StartsEscape(value, i + 1) ? "\\\\" : "\\";
    }
    copied = i + 1;
  }
  out.append(value.data() + copied, value.size() - copied);
}

void AppendCsvField(std::string& out, std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += value;
    return;
  }
  out += '"';
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendJsonString(std::string& out, std::string_view value) {
  out += '"';
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
  out += '"';
}

// A line of `texts` (a row's cells, or the captions): each in the quoting of `append`, with
// `separator` between them and `lineEnd` after.
template <typename Texts>
void AppendLine(std::string& line, char separator, std::string_view lineEnd,
                void (*append)(std::string&, std::string_view), const Texts& texts) {
  for (size_t c = 0; c < texts.size(); ++c) {
    if (c) line += separator;
    append(line, texts[c]);
  }
  line += lineEnd;
}

// One value in the quoting of `append`, as a string of its own.
std::string Quoted(void (*append)(std::string&, std::string_view), std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  append(out, value);
  return out;
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
  return Quoted(AppendTsvField, value);
}

std::string CsvField(std::string_view value) {
  return Quoted(AppendCsvField, value);
}

std::string JsonString(std::string_view value) {
  return Quoted(AppendJsonString, value);
}

TableWriter::TableWriter(std::ostream& out, TableFormat format,
                         const core::ColumnCaptions& captions)
    : out_(out), format_(format) {
  switch (format_) {
    case TableFormat::kTsv:
      AppendLine(line_, '\t', "\n", AppendTsvField, captions);
      break;
    case TableFormat::kCsv:
      AppendLine(line_, ',', "\r\n", AppendCsvField, captions);
      break;
    case TableFormat::kJson:
      // Columns without a caption are left out.
      for (size_t c = 0; c < captions.size(); ++c) {
        if (!captions[c].empty())
          jsonKeys_.emplace_back(static_cast<int>(c), JsonString(captions[c]));
      }
      line_ += '[';
      break;
  }
  Flush();
}

void TableWriter::Write(const core::MemberRow& row) {
  if (!out_) return;
  switch (format_) {
    case TableFormat::kTsv:
      AppendLine(line_, '\t', "\n", AppendTsvField, CellsOf(row));
      break;
    case TableFormat::kCsv:
      AppendLine(line_, ',', "\r\n", AppendCsvField, CellsOf(row));
      break;
    case TableFormat::kJson:
      line_ += rows_ ? ",\n  {" : "\n  {";
      for (size_t k = 0; k < jsonKeys_.size(); ++k) {
        if (k) line_ += ", ";
        line_ += jsonKeys_[k].second;
        line_ += ": ";
        AppendJsonString(line_, row.ColumnText(jsonKeys_[k].first));
      }
      line_ += '}';
      break;
  }
  Flush();
  ++rows_;
}

void TableWriter::Finish() {
  if (format_ == TableFormat::kJson && out_) out_ << (rows_ == 0 ? "]\n" : "\n]\n");
}

void TableWriter::Flush() {
  out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
  line_.clear();
}

void WriteTable(std::ostream& out, TableFormat format, const core::ColumnCaptions& captions,
                const std::vector<core::MemberRow>& rows) {
  TableWriter writer(out, format, captions);
  for (const core::MemberRow& row : rows) writer.Write(row);
  writer.Finish();
}

}  // namespace vorlix::cli
