#include "directory/ldif_reader.h"

#include "platform/plain_text.h"
#include "platform/regular_file.h"

namespace vorlix::directory {

namespace {

std::string Describe(const std::string& file, size_t line, const std::string& what) {
  if (line == 0) return file + ": " + what;
  return file + ":" + std::to_string(line) + ": " + what;
}

// Letters, digits and "-" (and ".", ";", "_", which files write too), in ASCII whatever the
// locale.
bool IsAttributeNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == ';' || c == '_';
}

bool IsNamed(std::string_view name, std::string_view expected) {
  return name.size() == expected.size() && platform::CompareNoCase(name, expected) == 0;
}

// Scans the text line by line without copying it: a record's lines are views into the text,
// but for folded lines (joined in joined_) and base64 values (decoded into decoded_).
class Scanner {
 public:
  Scanner(std::string_view text, const std::string& fileName,
          const std::function<void(const LdifRecord&)>& onRecord)
      : text_(text), file_(fileName), onRecord_(onRecord) {}

  void Run() {
    bool haveCurrent = false, inComment = false;
    std::string_view raw;
    while (NextPhysical(raw)) {
      if (!raw.empty() && raw[0] == ' ') {  // folded continuation
        if (inComment) continue;
        if (!haveCurrent) {
          Fail(physical_, "continuation line (starting with a blank) without a line to continue");
        }
        Continue(record_.back(), raw.substr(1));
        continue;
      }
      haveCurrent = inComment = false;
      if (raw.empty()) {
        FinishRecord();
      } else if (raw[0] == '#') {
        inComment = true;
      } else {
        record_.push_back(
            Pending{static_cast<size_t>(raw.data() - text_.data()), raw.size(), physical_, false});
        haveCurrent = true;
      }
    }
    FinishRecord();
  }

 private:
  // A logical line of the record being read: where its text lies, in the text or in joined_.
  struct Pending {
    size_t at;
    size_t size;
    size_t line;
    bool joined;
  };
  // A line split into name and value; a decoded value lies in decoded_, which may still grow
  // while the record is split, and is seen through ValueOf.
  struct Split {
    std::string_view name;
    std::string_view value;  // when not decoded
    size_t decodedAt = std::string::npos;
    size_t decodedSize = 0;
  };

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
    // A CR that no LF follows is no line end in LDIF; a file with CR line ends would otherwise
    // read as a single line.
    if (out.find('\r') != std::string_view::npos) {
      Fail(physical_,
           "a carriage return (CR) without a line feed: LDIF lines end in LF or CR LF, not in a "
           "CR alone; convert the file's line ends");
    }
    return true;
  }

  // Appends a continuation to the last logical line, which moves into joined_ the first time.
  void Continue(Pending& line, std::string_view more) {
    if (!line.joined) {
      const size_t at = joined_.size();
      joined_.append(text_.substr(line.at, line.size));
      line.at = at;
      line.joined = true;
    }
    joined_.append(more);
    line.size += more.size();
  }

  std::string_view TextOf(const Pending& line) const {
    return (line.joined ? std::string_view(joined_) : text_).substr(line.at, line.size);
  }

  // Splits "name: value", "name:: base64" and "name:< url".
  Split SplitLine(const Pending& pending) {
    const std::string_view text = TextOf(pending);
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
      Fail(pending.line, "line has no ':' between attribute name and value");
    }
    std::string_view name = text.substr(0, colon);
    if (name.empty()) Fail(pending.line, "line has no attribute name before ':'");
    for (char c : name) {
      if (!IsAttributeNameChar(c)) {
        Fail(pending.line, "invalid attribute name \"" + std::string(name) + "\"");
      }
    }
    std::string_view rest = text.substr(colon + 1);
    bool base64 = false;
    if (!rest.empty() && rest[0] == ':') {
      base64 = true;
      rest.remove_prefix(1);
    } else if (!rest.empty() && rest[0] == '<') {
      Fail(pending.line, "URL values (\":<\") are not supported");
    }
    while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
    Split split{name, rest};
    if (base64) {
      if (!DecodeBase64(rest, scratch_)) {
        Fail(pending.line, "invalid base64 value of \"" + std::string(name) + "\"");
      }
      split.decodedAt = decoded_.size();
      split.decodedSize = scratch_.size();
      decoded_.append(scratch_);
    }
    // Options such as ";binary" do not change which attribute it is.
    if (const size_t semicolon = split.name.find(';'); semicolon != std::string_view::npos) {
      split.name = split.name.substr(0, semicolon);
    }
    return split;
  }

  void FinishRecord() {
    if (!record_.empty()) Deliver();
    record_.clear();
    joined_.clear();
    decoded_.clear();
  }

  void Deliver() {
    size_t first = 0;  // the "dn:" line
    if (first_) {
      first_ = false;
      const Split version = SplitLine(record_[0]);
      if (IsNamed(version.name, "version")) {
        if (ValueOf(version) != "1") {
          Fail(record_[0].line,
               "unsupported LDIF version \"" + std::string(ValueOf(version)) + "\"");
        }
        if (record_.size() == 1) return;
        first = 1;
      }
    }
    splits_.clear();
    for (size_t i = first; i < record_.size(); ++i) {
      const Split split = SplitLine(record_[i]);
      if (i == first && !IsNamed(split.name, "dn")) {
        Fail(record_[i].line,
             "record does not begin with \"dn:\" (found \"" + std::string(split.name) + ":\")");
      }
      if (i > first && (IsNamed(split.name, "changetype") || IsNamed(split.name, "control"))) {
        Fail(record_[i].line,
             "change records (\"" + std::string(split.name) + ":\") are not supported");
      }
      if (i > first && IsNamed(split.name, "dn")) {
        Fail(record_[i].line, "second \"dn:\" line in one record");
      }
      splits_.push_back(split);
    }
    // decoded_ no longer grows: views into it hold from here on.
    lines_.clear();
    for (size_t k = 1; k < splits_.size(); ++k) {
      lines_.push_back(LdifLine{splits_[k].name, ValueOf(splits_[k]), record_[first + k].line});
    }
    onRecord_(LdifRecord{ValueOf(splits_[0]), record_[first].line, lines_});
  }

  std::string_view ValueOf(const Split& split) const {
    if (split.decodedAt == std::string::npos) return split.value;
    return std::string_view(decoded_).substr(split.decodedAt, split.decodedSize);
  }

  std::string_view text_;
  const std::string& file_;
  const std::function<void(const LdifRecord&)>& onRecord_;
  size_t pos_ = 0;
  size_t physical_ = 0;
  bool first_ = true;
  std::vector<Pending> record_;  // the logical lines of the record being read
  std::string joined_;           // folded lines, joined
  std::string decoded_;          // base64 values, decoded
  std::string scratch_;
  std::vector<Split> splits_;
  std::vector<LdifLine> lines_;
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

void ScanLdif(std::string_view text, const std::string& fileName,
              const std::function<void(const LdifRecord&)>& onRecord) {
  Scanner(text, fileName, onRecord).Run();
}

std::vector<LdifEntry> ParseLdif(std::string_view text, const std::string& fileName) {
  std::vector<LdifEntry> entries;
  ScanLdif(text, fileName, [&](const LdifRecord& record) {
    LdifEntry& entry = entries.emplace_back();
    entry.dn = record.dn;
    entry.line = record.line;
    for (const LdifLine& line : record.attributes) {
      entry.attributes.emplace_back(line.name, line.value);
      entry.lines.push_back(line.line);
    }
  });
  return entries;
}

std::string ReadLdifText(const std::string& path) {
  platform::RegularFileText file = platform::ReadRegularFile(path);
  if (file.status != platform::RegularFileText::kRead) throw LdifError(path, 0, file.reason);
  return std::move(file.text);
}

}  // namespace vorlix::directory
