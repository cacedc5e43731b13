#include "pdf_structure.h"

#include <cctype>
#include <map>
#include <optional>
#include <set>

namespace vorlix::fuzz {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0';
}

bool IsDelimiter(char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
         c == '}' || c == '/' || c == '%';
}

// Reads a whole number at text[at], moving at past it.
std::optional<long long> Number(std::string_view text, size_t& at) {
  size_t end = at;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  if (end == at || end - at > 12) return std::nullopt;
  const long long value = std::stoll(std::string(text.substr(at, end - at)));
  at = end;
  return value;
}

// A literal string starting after its "(": nesting parentheses, backslash escapes. Returns the
// text and moves at past the closing ")"; nullopt when it does not close. rawCr tells whether a
// CR stands in it unescaped, which a reader takes as a line end and turns into an LF.
std::optional<std::string> LiteralString(std::string_view s, size_t& at, bool& rawCr) {
  std::string out;
  int depth = 1;
  while (at < s.size()) {
    const char c = s[at++];
    if (c == '\\') {
      if (at >= s.size()) return std::nullopt;
      const char e = s[at++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case '(':
        case ')':
        case '\\':
          out += e;
          break;
        case '\r':
          if (at < s.size() && s[at] == '\n') ++at;
          break;
        case '\n':
          break;
        default:
          if (e >= '0' && e <= '7') {
            int value = e - '0';
            for (int k = 0; k < 2 && at < s.size() && s[at] >= '0' && s[at] <= '7'; ++k) {
              value = value * 8 + (s[at++] - '0');
            }
            out += static_cast<char>(value & 0xFF);
          } else {
            out += e;  // an unknown escape stands for the character itself
          }
      }
    } else if (c == '\r') {
      rawCr = true;
      out += c;
    } else if (c == '(') {
      ++depth;
      out += c;
    } else if (c == ')') {
      if (--depth == 0) return out;
      out += c;
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

// Tokenizes a content stream; checks operators and collects the shown texts.
std::string CheckContent(std::string_view s, PdfFacts& facts) {
  static const std::set<std::string> kOperators = {
      "BT", "ET", "Tf", "Td", "TD", "Tm", "Tj", "TJ", "TL", "T*", "Tc", "Tw", "Tz", "re",
      "f",  "F",  "f*", "S",  "s",  "B",  "b",  "n",  "m",  "l",  "h",  "w",  "J",  "j",
      "d",  "RG", "rg", "G",  "g",  "K",  "k",  "q",  "Q",  "cm", "W",  "W*", "'",  "\""};
  std::vector<std::string> strings;  // string operands since the last operator
  size_t at = 0;
  while (at < s.size()) {
    const char c = s[at];
    if (IsSpace(c)) {
      ++at;
    } else if (c == '%') {
      while (at < s.size() && s[at] != '\r' && s[at] != '\n') ++at;
    } else if (c == '(') {
      ++at;
      bool rawCr = false;
      const auto text = LiteralString(s, at, rawCr);
      if (!text) return "a text string in a content stream does not close";
      if (rawCr) return "a CR stands unescaped in a text string";
      strings.push_back(*text);
    } else if (c == '<') {
      const size_t end = s.find('>', at);
      if (end == std::string_view::npos) return "a hex string does not close";
      at = end + 1;
    } else if (c == '[' || c == ']') {
      ++at;
    } else if (c == '/') {
      ++at;
      while (at < s.size() && !IsSpace(s[at]) && !IsDelimiter(s[at])) ++at;
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
      ++at;
      while (at < s.size() && (std::isdigit(static_cast<unsigned char>(s[at])) || s[at] == '.')) {
        ++at;
      }
    } else if (c == ')' || c == '>' || c == '{' || c == '}') {
      return std::string("a stray '") + c + "' in a content stream";
    } else {
      size_t end = at;
      while (end < s.size() && !IsSpace(s[end]) && !IsDelimiter(s[end])) ++end;
      const std::string word(s.substr(at, end - at));
      at = end;
      if (kOperators.count(word) == 0) return "unknown operator \"" + word.substr(0, 20) + "\"";
      if (word == "Tj" || word == "'" || word == "\"") {
        if (strings.empty()) return word + " without a string";
        facts.texts.push_back(strings.back());
      }
      strings.clear();
    }
  }
  return {};
}

}  // namespace

std::string CheckPdfStructure(std::string_view pdf, PdfFacts& facts) {
  if (pdf.substr(0, 8) != "%PDF-1.3") return "no %PDF-1.3 header";
  size_t end = pdf.find_last_not_of("\r\n ");
  if (end == std::string_view::npos || pdf.substr(0, end + 1).size() < 5 ||
      pdf.substr(end - 4, 5) != "%%EOF") {
    return "no %%EOF at the end";
  }
  const size_t startxref = pdf.rfind("startxref");
  if (startxref == std::string_view::npos) return "no startxref";
  size_t at = startxref + 9;
  while (at < pdf.size() && IsSpace(pdf[at])) ++at;
  const auto xref = Number(pdf, at);
  if (!xref || static_cast<size_t>(*xref) >= pdf.size() ||
      pdf.substr(static_cast<size_t>(*xref), 4) != "xref") {
    return "startxref does not point at the cross-reference table";
  }
  at = static_cast<size_t>(*xref) + 4;
  while (at < pdf.size() && IsSpace(pdf[at])) ++at;
  const auto first = Number(pdf, at);
  while (at < pdf.size() && pdf[at] == ' ') ++at;
  const auto count = Number(pdf, at);
  if (!first || !count || *first != 0 || *count < 1) return "malformed xref subsection header";
  std::map<long long, size_t> offsets;
  for (long long object = 0; object < *count; ++object) {
    while (at < pdf.size() && IsSpace(pdf[at])) ++at;
    if (at + 18 > pdf.size()) return "the xref table ends early";
    size_t field = at;
    const auto offset = Number(pdf, field);
    if (!offset || field != at + 10 || pdf[at + 17] != (object == 0 ? 'f' : 'n')) {
      return "malformed xref entry " + std::to_string(object);
    }
    if (object > 0) offsets[object] = static_cast<size_t>(*offset);
    at += 18;
  }
  if (pdf.find("trailer", at) == std::string_view::npos) return "no trailer";

  // Every object where the table says; indirect lengths by number.
  std::map<long long, long long> integers;
  for (const auto& [object, offset] : offsets) {
    const std::string head = std::to_string(object) + " 0 obj";
    if (offset >= pdf.size() || pdf.substr(offset, head.size()) != head) {
      return "object " + std::to_string(object) + " is not where the xref table says";
    }
    size_t value = offset + head.size();
    while (value < pdf.size() && IsSpace(pdf[value])) ++value;
    if (const auto number = Number(pdf, value)) integers[object] = *number;
  }
  for (const auto& [object, offset] : offsets) {
    const size_t objectEnd = pdf.find("endobj", offset);
    if (objectEnd == std::string_view::npos) return "object without endobj";
    const std::string_view body = pdf.substr(offset, objectEnd - offset);
    if (body.find("/Type /Page\r") != std::string_view::npos) ++facts.pages;
    const size_t stream = body.find("stream\r\n");
    if (stream == std::string_view::npos) continue;
    const size_t lengthAt = body.find("/Length ");
    if (lengthAt == std::string_view::npos) return "a stream without /Length";
    size_t ref = lengthAt + 8;
    const auto lengthObject = Number(body, ref);
    if (!lengthObject || integers.count(*lengthObject) == 0) return "a stream length not found";
    const size_t data = offset + stream + 8;
    const size_t length = static_cast<size_t>(integers[*lengthObject]);
    if (data + length > pdf.size()) return "a stream runs past the end of the file";
    size_t after = data + length;
    while (after < pdf.size() && (pdf[after] == '\r' || pdf[after] == '\n')) ++after;
    if (pdf.substr(after, 9) != "endstream") return "a stream's length is not its size";
    const std::string problem = CheckContent(pdf.substr(data, length), facts);
    if (!problem.empty()) return problem;
  }
  if (facts.pages < 1) return "no page";
  return {};
}

}  // namespace vorlix::fuzz
