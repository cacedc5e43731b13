#include "text_readers.h"

#include <cctype>
#include <map>
#include <utility>

namespace vorlix::fuzz {

std::string DescribeRows(const Rows& rows) {
  std::string out;
  for (const auto& row : rows) {
    for (const auto& cell : row) out += "[" + cell.substr(0, 40) + "]";
    out += "\n";
  }
  return out.substr(0, 2000);
}

namespace {

bool IsNumber(std::string_view text) {
  if (text.empty()) return false;
  size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      digits = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

// A DIF string line: quoted with doubled quotes inside, or bare.
std::optional<std::string> DifString(const std::string& line, std::string& error) {
  if (line.empty() || line[0] != '"') return line;
  std::string out;
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] != '"') {
      out += line[i];
    } else if (i + 1 < line.size() && line[i + 1] == '"') {
      out += '"';
      ++i;
    } else if (i + 1 == line.size()) {
      return out;
    } else {
      error = "text after the closing quote of a DIF string: " + line;
      return std::nullopt;
    }
  }
  error = "DIF string without its closing quote: " + line;
  return std::nullopt;
}

// "vector,value" of a DIF line.
bool DifPair(const std::string& line, int& first, std::string& second) {
  const size_t comma = line.find(',');
  if (comma == std::string::npos || !IsNumber(line.substr(0, comma))) return false;
  first = std::stoi(line.substr(0, comma));
  second = line.substr(comma + 1);
  return true;
}

// Fields of a SYLK record, ";;" read as ";".
std::vector<std::string> SylkFields(const std::string& record) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < record.size(); ++i) {
    if (record[i] != ';') {
      fields.back() += record[i];
    } else if (i + 1 < record.size() && record[i + 1] == ';') {
      fields.back() += ';';
      ++i;
    } else {
      fields.emplace_back();
    }
  }
  return fields;
}

// Characters of a UTF-8 text, each as its bytes (a byte that starts no sequence stays alone).
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (size_t i = 0; i < text.size();) {
    size_t n = 1;
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    characters.push_back(text.substr(i, n));
    i += n;
  }
  return characters;
}

}  // namespace

std::optional<std::vector<std::string>> ReadCrLfLines(std::string_view text, std::string& error) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (line.find_first_of("\r\n") != std::string_view::npos) {
      error = "a line holds a bare CR or LF: " + std::string(line.substr(0, 80));
      return std::nullopt;
    }
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return lines;
}

std::optional<Rows> ReadDelimited(std::string_view text, char separator, char quote,
                                  std::string& error) {
  Rows rows;
  std::vector<std::string> record;
  std::string field;
  size_t i = 0;
  bool fieldStarted = false;
  auto endField = [&] {
    record.push_back(std::move(field));
    field.clear();
    fieldStarted = false;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (!fieldStarted && quote != 0 && c == quote) {
      ++i;
      for (;;) {
        if (i >= text.size()) {
          error = "a quoted field does not close";
          return std::nullopt;
        }
        if (text[i] == quote) {
          if (i + 1 < text.size() && text[i + 1] == quote) {
            field += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += text[i++];
      }
      fieldStarted = true;
      if (i < text.size() && text[i] != separator && text.substr(i, 2) != "\r\n") {
        error = "text after the closing quote of a field";
        return std::nullopt;
      }
      continue;
    }
    if (c == separator) {
      endField();
      ++i;
    } else if (text.substr(i, 2) == "\r\n") {
      endField();
      rows.push_back(std::move(record));
      record.clear();
      i += 2;
    } else {
      field += c;
      fieldStarted = true;
      ++i;
    }
  }
  if (fieldStarted || !record.empty()) {
    endField();
    rows.push_back(std::move(record));
  }
  return rows;
}

std::optional<DifTable> ReadDif(std::string_view text, std::string& error) {
  const auto lines = ReadCrLfLines(text, error);
  if (!lines) return std::nullopt;
  DifTable table;
  size_t i = 0;
  auto line = [&](std::string& out) {
    if (i >= lines->size()) {
      error = "DIF ends early";
      return false;
    }
    out = (*lines)[i++];
    return true;
  };
  // Header: topic, "vector,value", string; up to DATA.
  for (;;) {
    std::string topic, pair, string, value;
    int vector = 0;
    if (!line(topic) || !line(pair) || !line(string)) return std::nullopt;
    if (!DifPair(pair, vector, value) || !IsNumber(value)) {
      error = "DIF header item " + topic + " has no number pair: " + pair;
      return std::nullopt;
    }
    const auto text = DifString(string, error);
    if (!text) return std::nullopt;
    if (topic == "TABLE") {
      table.title = *text;
    } else if (topic == "VECTORS") {
      table.vectors = std::stoi(value);
    } else if (topic == "TUPLES") {
      table.tuples = std::stoi(value);
    } else if (topic == "DATA") {
      break;
    } else {
      error = "unknown DIF header topic: " + topic;
      return std::nullopt;
    }
  }
  // Data: pairs of lines.
  bool ended = false;
  while (!ended) {
    std::string pair, second, value;
    int type = 0;
    if (!line(pair) || !line(second)) return std::nullopt;
    if (!DifPair(pair, type, value)) {
      error = "DIF data item without its type pair: " + pair;
      return std::nullopt;
    }
    if (type == -1) {
      if (second == "BOT") {
        table.rows.emplace_back();
        table.kinds.emplace_back();
      } else if (second == "EOD") {
        ended = true;
      } else {
        error = "unknown DIF special item: " + second;
        return std::nullopt;
      }
      continue;
    }
    if (table.rows.empty()) {
      error = "a DIF value before the first BOT";
      return std::nullopt;
    }
    if (type == 0) {
      if (!IsNumber(value) || (second != "V" && second != "NA" && second != "TRUE" &&
                               second != "FALSE" && second != "ERROR")) {
        error = "malformed DIF number: " + pair + " / " + second;
        return std::nullopt;
      }
      table.rows.back().push_back(value);
      table.kinds.back().push_back("number");
    } else if (type == 1) {
      const auto text = DifString(second, error);
      if (!text) return std::nullopt;
      table.rows.back().push_back(*text);
      table.kinds.back().push_back("string");
    } else {
      error = "unknown DIF value type: " + pair;
      return std::nullopt;
    }
  }
  if (i != lines->size()) {
    error = "text after the DIF end of data";
    return std::nullopt;
  }
  return table;
}

std::optional<Rows> ReadSylk(std::string_view text, std::string& error) {
  const auto lines = ReadCrLfLines(text, error);
  if (!lines) return std::nullopt;
  if (lines->empty() || SylkFields(lines->front()).front() != "ID") {
    error = "SYLK does not begin with an ID record";
    return std::nullopt;
  }
  if (lines->back() != "E") {
    error = "SYLK does not end with an E record";
    return std::nullopt;
  }
  std::map<std::pair<int, int>, std::string> cells;
  int x = 0, y = 0, columns = 0, rows = 0;
  for (size_t n = 1; n + 1 < lines->size(); ++n) {
    const std::vector<std::string> fields = SylkFields((*lines)[n]);
    if (fields.front() != "C") continue;  // other records place no values
    std::optional<std::string> value;
    for (size_t f = 1; f < fields.size(); ++f) {
      const std::string& field = fields[f];
      if (field.empty()) continue;
      const std::string rest = field.substr(1);
      if (field[0] == 'X' || field[0] == 'Y') {
        if (!IsNumber(rest) || rest.find_first_of(".-+") != std::string::npos ||
            std::stoll(rest) < 1 || std::stoll(rest) > 1000000) {
          error = "SYLK position out of range: " + field;
          return std::nullopt;
        }
        (field[0] == 'X' ? x : y) = std::stoi(rest);
      } else if (field[0] == 'K') {
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
          value = rest.substr(1, rest.size() - 2);
        } else if (IsNumber(rest)) {
          value = rest;
        } else {
          error = "SYLK value neither quoted text nor a number: " + field.substr(0, 80);
          return std::nullopt;
        }
      }
    }
    if (!value) continue;
    if (x < 1 || y < 1) {
      error = "SYLK value without a position";
      return std::nullopt;
    }
    cells[{y, x}] = *value;
    columns = std::max(columns, x);
    rows = std::max(rows, y);
  }
  Rows grid(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(columns)));
  for (const auto& [at, value] : cells) {
    grid[static_cast<size_t>(at.first - 1)][static_cast<size_t>(at.second - 1)] = value;
  }
  return grid;
}

std::optional<Rows> ReadFixedWidth(const std::vector<std::string>& lines,
                                   const std::vector<int>& widths, int spacing,
                                   std::string& error) {
  Rows rows;
  for (const std::string& line : lines) {
    const std::vector<std::string_view> characters = Characters(line);
    std::vector<std::string> fields;
    size_t at = 0;
    for (const int width : widths) {
      const size_t end = at + static_cast<size_t>(width) + static_cast<size_t>(spacing);
      if (end > characters.size()) {
        error = "a fixed-width line is shorter than its fields: " + line.substr(0, 80);
        return std::nullopt;
      }
      std::string field;
      for (size_t c = at; c < at + static_cast<size_t>(width); ++c) field += characters[c];
      for (size_t c = at + static_cast<size_t>(width); c < end; ++c) {
        if (characters[c] != " ") {
          error = "no blank between two fixed-width fields: " + line.substr(0, 80);
          return std::nullopt;
        }
      }
      field.erase(field.find_last_not_of(' ') + 1);
      fields.push_back(std::move(field));
      at = end;
    }
    if (at != characters.size()) {
      error = "a fixed-width line is longer than its fields: " + line.substr(0, 80);
      return std::nullopt;
    }
    rows.push_back(std::move(fields));
  }
  return rows;
}

}  // namespace vorlix::fuzz
