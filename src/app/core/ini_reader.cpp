#include "app/core/ini_reader.h"

namespace vorlix::core {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kQuotedLength = 40;  // longest piece of a line that a problem quotes

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// A line as a problem quotes it: the first bytes of it, in double quotes.
std::string Quoted(std::string_view line) {
  std::string quoted = "\"";
  quoted += line.substr(0, kQuotedLength);
  if (line.size() > kQuotedLength) quoted += "...";
  return quoted + "\"";
}

bool IsComment(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed[0] == ';' || trimmed[0] == '#');
}

// The value without a comment that follows it after a blank.
std::string_view WithoutComment(std::string_view value) {
  for (size_t i = 1; i < value.size(); ++i) {
    if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t')) {
      return Trim(value.substr(0, i));
    }
  }
  return value;
}

}  // namespace

std::vector<IniProblem> ReadIni(std::string_view text,
                                const std::function<void(const IniHeader&)>& onHeader,
                                const std::function<void(const IniEntry&)>& onEntry) {
  std::vector<IniProblem> problems;
  if (IsUtf16Text(text)) {
    problems.push_back({1, "the file is UTF-16 text, which is not read; save it as UTF-8"});
    return problems;
  }
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());

  std::string section;
  bool inSection = false;    // a readable header came before
  bool skipSection = false;  // the header before could not be read: its entries are skipped
  size_t lineNumber = 0;
  size_t position = 0;
  while (position < text.size()) {
    // A line ends in LF, CR LF or a CR alone.
    size_t end = text.find_first_of("\r\n", position);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(position, end - position);
    position = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    ++lineNumber;
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || IsComment(trimmed)) continue;

    if (trimmed.find('\0') != std::string_view::npos) {
      problems.push_back({lineNumber, "the line holds a NUL byte; it is skipped"});
      continue;
    }
    if (trimmed[0] == '[') {
      const size_t close = trimmed.find(']');
      const std::string_view name = Trim(
          trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      if (close == std::string_view::npos || name.empty()) {
        problems.push_back(
            {lineNumber, "the section header " + Quoted(trimmed) +
                             (name.empty() ? " has no name" : " has no closing \"]\"") +
                             "; the entries under it, up to the next section, are skipped"});
        skipSection = true;
        if (!name.empty()) onHeader(IniHeader{std::string(name), lineNumber, false});
        continue;
      }
      const std::string_view rest = Trim(trimmed.substr(close + 1));
      if (!rest.empty() && !IsComment(rest)) {
        problems.push_back({lineNumber, Quoted(rest) + " after the section header is ignored"});
      }
      section = std::string(name);
      inSection = true;
      skipSection = false;
      onHeader(IniHeader{section, lineNumber, true});
      continue;
    }
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
      problems.push_back({lineNumber, Quoted(trimmed) +
                                          " is neither a [section] header nor a key=value "
                                          "entry; the line is skipped"});
      continue;
    }
    const std::string_view key = Trim(trimmed.substr(0, equals));
    if (key.empty()) {
      problems.push_back(
          {lineNumber, Quoted(trimmed) + " has no key before \"=\"; the line is skipped"});
      continue;
    }
    if (skipSection) continue;  // told once, at its header
    if (!inSection) {
      problems.push_back({lineNumber, "the entry \"" + std::string(key) +
                                          "\" comes before any [section]; the line is skipped"});
      continue;
    }
    onEntry(IniEntry{section, std::string(key),
                     std::string(WithoutComment(Trim(trimmed.substr(equals + 1)))), lineNumber});
  }
  return problems;
}

// UTF-16 in either byte order, with or without its byte-order mark: ASCII text in it has a NUL
// beside every character.
bool IsUtf16Text(std::string_view text) {
  if (text.size() < 2) return false;
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") return true;
  return text[0] == '\0' || text[1] == '\0';
}

}  // namespace vorlix::core
