#include "directory/ldif_reader.h"

#include <cctype>
#include <cstring>

#include "platform/regular_file.h"

namespace vorlix::directory {

namespace {

std::string Describe(const std::string& file, size_t line, const std::string& what) {
  if (line == 0) return file + ": " + what;
  return file + ":" + std::to_string(line) + ": " + what;
}

// One logical line (folded continuations joined) and the physical line it starts on.
struct LogicalLine {
  std::string text;
  size_t line = 0;
};

bool IsAttributeNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == ';' ||
         c == '_';
}

class Parser {
 public:
  Parser(std::string_view text, const std::string& fileName,
         const std::function<void(LdifEntry&&)>& onEntry)
      : text_(text), file_(fileName), onEntry_(onEntry) {}

  void Run() {
    std::vector<LogicalLine> record;
    LogicalLine current;
    bool haveCurrent = false, inComment = false, first = true;
    std::string_view raw;
    while (NextPhysical(raw)) {
      if (!raw.empty() && raw[0] == ' ') {  // folded continuation
        if (inComment) continue;
        if (!haveCurrent) {
          Fail(physical_, "continuation line (starting with a blank) without a line to continue");
        }
        current.text.append(raw.substr(1));
        continue;
      }
      if (haveCurrent) record.push_back(std::move(current));
      haveCurrent = inComment = false;
      if (raw.empty()) {
        if (!record.empty()) FinishRecord(record, first);
        record.clear();
      } else if (raw[0] == '#') {
        inComment = true;
      } else {
        current = LogicalLine{std::string(raw), physical_};
        haveCurrent = true;
      }
    }
    if (haveCurrent) record.push_back(std::move(current));
    if (!record.empty()) FinishRecord(record, first);
  }

 private:
  [[noreturn]] void Fail(size_t line, const std::string& what) {
    throw LdifError(file_, line, what);
  }

  // Reads the next physical line, without its line end.
  bool NextPhysical(std::string_view& out) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    out = text_.substr(pos_, end - pos_);
    if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
    pos_ = end + 1;
    ++physical_;
    return true;
  }

  // Splits "name: value", "name:: base64" and "name:< url".
  std::pair<std::string, std::string> SplitLine(const LogicalLine& line) {
    size_t colon = line.text.find(':');
    if (colon == std::string::npos) {
      Fail(line.line, "line has no ':' between attribute name and value");
    }
    std::string name = line.text.substr(0, colon);
    if (name.empty()) Fail(line.line, "line has no attribute name before ':'");
    for (char c : name) {
      if (!IsAttributeNameChar(c)) Fail(line.line, "invalid attribute name \"" + name + "\"");
    }
    std::string_view rest(line.text);
    rest.remove_prefix(colon + 1);
    bool base64 = false;
    if (!rest.empty() && rest[0] == ':') {
      base64 = true;
      rest.remove_prefix(1);
    } else if (!rest.empty() && rest[0] == '<') {
      Fail(line.line, "URL values (\":<\") are not supported");
    }
    while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
    std::string value;
    if (base64) {
      if (!DecodeBase64(rest, value)) Fail(line.line, "invalid base64 value of \"" + name + "\"");
    } else {
      value.assign(rest);
    }
    // Options such as ";binary" do not change which attribute it is.
    size_t semicolon = name.find(';');
    if (semicolon != std::string::npos) name.resize(semicolon);
    return {std::move(name), std::move(value)};
  }

  static bool IsNamed(const std::string& name, const char* expected) {
    return strcasecmp(name.c_str(), expected) == 0;
  }

  void FinishRecord(std::vector<LogicalLine>& record, bool& first) {
    size_t i = 0;
    if (first) {
      first = false;
      auto [name, value] = SplitLine(record[0]);
      if (IsNamed(name, "version")) {
        if (value != "1") Fail(record[0].line, "unsupported LDIF version \"" + value + "\"");
        i = 1;
        if (record.size() == 1) return;
      }
    }
    auto [dnName, dn] = SplitLine(record[i]);
    if (!IsNamed(dnName, "dn")) {
      Fail(record[i].line, "record does not begin with \"dn:\" (found \"" + dnName + ":\")");
    }
    LdifEntry entry;
    entry.dn = std::move(dn);
    entry.line = record[i].line;
    for (++i; i < record.size(); ++i) {
      auto [name, value] = SplitLine(record[i]);
      if (IsNamed(name, "changetype") || IsNamed(name, "control")) {
        Fail(record[i].line, "change records (\"" + name + ":\") are not supported");
      }
      if (IsNamed(name, "dn")) Fail(record[i].line, "second \"dn:\" line in one record");
      entry.attributes.emplace_back(std::move(name), std::move(value));
      entry.lines.push_back(record[i].line);
    }
    onEntry_(std::move(entry));
  }

  std::string_view text_;
  const std::string& file_;
  const std::function<void(LdifEntry&&)>& onEntry_;
  size_t pos_ = 0;
  size_t physical_ = 0;
};

}  // namespace

LdifError::LdifError(const std::string& file, size_t line, const std::string& what)
    : std::runtime_error(Describe(file, line, what)), file_(file), line_(line) {}

bool DecodeBase64(std::string_view text, std::string& out) {
  out.clear();
  uint32_t bits = 0;
  int count = 0;
  bool padding = false;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+')
      v = 62;
    else if (c == '/')
      v = 63;
    else if (c == '=') {
      padding = true;
      continue;
    } else if (c == ' ' || c == '\t')
      continue;
    else
      return false;
    if (padding) return false;  // data after padding
    bits = (bits << 6) | static_cast<uint32_t>(v);
    if (++count == 4) {
      out.push_back(static_cast<char>((bits >> 16) & 0xFF));
      out.push_back(static_cast<char>((bits >> 8) & 0xFF));
      out.push_back(static_cast<char>(bits & 0xFF));
      bits = 0;
      count = 0;
    }
  }
  if (count == 1) return false;
  if (count == 2) out.push_back(static_cast<char>((bits >> 4) & 0xFF));
  if (count == 3) {
    out.push_back(static_cast<char>((bits >> 10) & 0xFF));
    out.push_back(static_cast<char>((bits >> 2) & 0xFF));
  }
  return true;
}

void ParseLdif(std::string_view text, const std::string& fileName,
               const std::function<void(LdifEntry&&)>& onEntry) {
  Parser(text, fileName, onEntry).Run();
}

std::vector<LdifEntry> ParseLdif(std::string_view text, const std::string& fileName) {
  std::vector<LdifEntry> entries;
  ParseLdif(text, fileName, [&](LdifEntry&& entry) { entries.push_back(std::move(entry)); });
  return entries;
}

std::string ReadLdifText(const std::string& path) {
  platform::RegularFileText file = platform::ReadRegularFile(path);
  if (file.status != platform::RegularFileText::kRead) throw LdifError(path, 0, file.reason);
  return std::move(file.text);
}

}  // namespace vorlix::directory
