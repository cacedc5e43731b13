#include "app/core/configuration.h"

#include <ini.h>
#include <strings.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "directory/ldap_filter.h"
#include "platform/number_picture.h"
#include "platform/system_info.h"

namespace vorlix::core {

namespace {

// The longest line the ini reader takes whole (its line buffer less the newline and the NUL).
constexpr size_t kMaxLineLength = INI_MAX_LINE - 2;

bool SameIgnoringCase(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) && strncasecmp(a.c_str(), b, a.size()) == 0;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Feeds the file's text to the ini parser line by line, remembering for each line the section it
// lies in and which lines were too long for the parser.
struct LineReader {
  std::string text;
  size_t position = 0;
  int lineNumber = 0;  // number of the line handed out last (1 = first)
  std::string line;    // the line handed out last, as the parser got it
  std::string section;
  std::vector<std::string> sectionOfLine{""};  // index: line number
  int firstLongLine = 0;

  static char* Read(char* buffer, int size, void* self) {
    return static_cast<LineReader*>(self)->Next(buffer, static_cast<size_t>(size));
  }

  char* Next(char* buffer, size_t size) {
    if (position >= text.size() || size < 2) return nullptr;
    size_t end = text.find('\n', position);
    const bool hasNewline = end != std::string::npos;
    if (!hasNewline) end = text.size();
    std::string line = text.substr(position, end - position);
    position = hasNewline ? end + 1 : end;
    ++lineNumber;
    // An indented line is an entry of its own: the parser would otherwise read it as more of the
    // value above it.
    line.erase(0, line.find_first_not_of(" \t"));
    if (line.size() > kMaxLineLength || line.size() + 2 > size) {
      if (firstLongLine == 0) firstLongLine = lineNumber;
      line.resize(std::min(kMaxLineLength, size - 2));
    }
    NoteSection(line);
    sectionOfLine.push_back(section);
    this->line = line;
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\n';
    buffer[line.size() + 1] = '\0';
    return buffer;
  }

  void NoteSection(const std::string& line) {
    std::string trimmed = Trim(line);
    if (lineNumber == 1 && trimmed.rfind("\xEF\xBB\xBF", 0) == 0) trimmed = Trim(trimmed.substr(3));
    if (trimmed.empty() || trimmed[0] != '[') return;
    const auto close = trimmed.find(']');
    if (close != std::string::npos) section = trimmed.substr(1, close - 1);
  }
};

struct Collected {
  LineReader* reader = nullptr;
  bool phoneSeen = false;
  std::string phone;
  std::vector<std::string> phoneAttributes;
  bool directorySeen = false;
  bool sourceSeen = false, baseSeen = false, bindDnSeen = false, startTlsSeen = false,
       timeoutSeen = false;
  directory::DirectorySource directory;
  std::string directoryProblem;            // first bad entry of the DIRECTORY section
  std::vector<std::string> namesProblems;  // NAMES lines that were skipped
};

void NoteDirectoryProblem(Collected& c, const std::string& what) {
  if (c.directoryProblem.empty()) {
    c.directoryProblem = "line " + std::to_string(c.reader->lineNumber) + ": " + what;
  }
}

// "starttls" and "timeout" of the DIRECTORY section; false for any other key.
bool TakeConnectionEntry(Collected& c, const std::string& key, const std::string& value) {
  const std::string text = Trim(value);
  if (SameIgnoringCase(key, "starttls")) {
    if (c.startTlsSeen) NoteDirectoryProblem(c, "\"starttls\" is given twice");
    c.startTlsSeen = true;
    if (SameIgnoringCase(text, "yes") || SameIgnoringCase(text, "true") || text == "1") {
      c.directory.startTls = true;
    } else if (SameIgnoringCase(text, "no") || SameIgnoringCase(text, "false") || text == "0") {
      c.directory.startTls = false;
    } else {
      NoteDirectoryProblem(c, "\"starttls\" must be yes or no, not \"" + text + "\"");
    }
    return true;
  }
  if (SameIgnoringCase(key, "timeout")) {
    if (c.timeoutSeen) NoteDirectoryProblem(c, "\"timeout\" is given twice");
    c.timeoutSeen = true;
    const auto seconds = platform::ParseInt32(text);
    if (!seconds || *seconds < 1 || *seconds > 3600) {
      NoteDirectoryProblem(
          c, "\"timeout\" must be a number of seconds from 1 to 3600, not \"" + text + "\"");
    } else {
      c.directory.timeoutSeconds = *seconds;
    }
    return true;
  }
  return false;
}

// One line of the NAMES section, "Program Name=ldapName", split at its first "=" (the parser
// would split "WM:NAME User=..." at the colon). A line that is not of that form is skipped.
void TakeNameEntry(Collected& c) {
  const std::string& line = c.reader->line;
  const size_t eq = line.find('=');
  const std::string program = Trim(line.substr(0, eq));
  const std::string ldap = eq == std::string::npos ? "" : Trim(line.substr(eq + 1));
  std::string problem;
  if (program.empty() || ldap.empty()) {
    problem = "is not \"Program Name=ldapName\"";
  } else if (!directory::IsAttributeDescription(ldap)) {
    problem = "maps \"" + program + "\" to \"" + ldap +
              "\", which is no LDAP name (letters, digits and hyphens)";
  }
  if (!problem.empty()) {
    c.namesProblems.push_back("line " + std::to_string(c.reader->lineNumber) + " " + problem);
    return;
  }
  c.directory.names[program] = ldap;
}

void TakeDirectoryEntry(Collected& c, const std::string& key, const std::string& value) {
  auto take = [&](bool& seen, std::string& into) {
    if (seen) {
      NoteDirectoryProblem(c, "\"" + key + "\" is given twice");
      return;
    }
    seen = true;
    into = value;
  };
  if (SameIgnoringCase(key, "source")) {
    take(c.sourceSeen, c.directory.source);
  } else if (SameIgnoringCase(key, "base")) {
    take(c.baseSeen, c.directory.base);
  } else if (SameIgnoringCase(key, "binddn")) {
    take(c.bindDnSeen, c.directory.bindDn);
  } else if (SameIgnoringCase(key, "password")) {
    NoteDirectoryProblem(c, "a password is never read from the file");
  } else if (!TakeConnectionEntry(c, key, value)) {
    NoteDirectoryProblem(
        c, "unknown key \"" + key + "\" (known: source, base, binddn, starttls, timeout)");
  }
}

int OnEntry(void* user, const char* section, const char* name, const char* value) {
  auto& c = *static_cast<Collected*>(user);
  const std::string s = section, key = name, text = value ? value : "";
  if (SameIgnoringCase(s, "SYSTEM")) {
    if (SameIgnoringCase(key, "phone") && !c.phoneSeen) {
      c.phoneSeen = true;
      c.phone = text;
    }
  } else if (SameIgnoringCase(s, "PHONE")) {
    c.phoneAttributes.push_back(text);
  } else if (SameIgnoringCase(s, "DIRECTORY")) {
    c.directorySeen = true;
    TakeDirectoryEntry(c, key, text);
  } else if (SameIgnoringCase(s, "NAMES")) {
    TakeNameEntry(c);
  }
  return 1;
}

bool IsUrl(const std::string& source) {
  return source.find("://") != std::string::npos;
}

std::string Resolve(const std::string& source, const std::string& baseDirectory) {
  if (source.empty() || source[0] == '/' || IsUrl(source)) return source;
  return baseDirectory + "/" + source;
}

// The NAMES section: its mappings for whichever directory is opened, its skipped lines as
// problems.
void ApplyNames(const std::string& path, Collected& collected, Configuration& config) {
  config.names = collected.directory.names;
  for (const std::string& problem : collected.namesProblems) {
    if (!config.problem.empty()) config.problem += "\n";
    config.problem += path + " [NAMES] " + problem + ": the line is skipped.";
  }
}

bool FileHasDirectorySection(const LineReader& reader) {
  for (const std::string& s : reader.sectionOfLine) {
    if (SameIgnoringCase(s, "DIRECTORY")) return true;
  }
  return false;
}

}  // namespace

Configuration LoadConfiguration(const std::string& path) {
  return LoadConfiguration(path, platform::ExecutableDirectory());
}

Configuration LoadConfiguration(const std::string& path, const std::string& baseDirectory) {
  Configuration config;
  std::ifstream file(path, std::ios::binary);
  if (!file) return config;
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) return config;

  LineReader reader;
  reader.text = content.str();
  Collected collected;
  collected.reader = &reader;
  const int parseError = ini_parse_stream(&LineReader::Read, &reader, &OnEntry, &collected);
  const int brokenLine = parseError != 0 ? parseError : reader.firstLongLine;

  if (brokenLine != 0) {
    // A broken line anywhere: nothing of the file is used. Tell the user when that drops a
    // directory they chose.
    if (brokenLine > 0 && FileHasDirectorySection(reader)) {
      const bool tooLong = brokenLine == reader.firstLongLine;
      config.problem =
          path + " line " + std::to_string(brokenLine) +
          (tooLong ? " is longer than " + std::to_string(kMaxLineLength) + " characters"
                   : " is not a \"key=value\" line or a [section]") +
          ": the file is not used and the bundled sample directory is opened.";
    }
    return config;
  }

  ApplyNames(path, collected, config);
  const auto phone = platform::ParseInt32(collected.phone);
  if (phone && *phone != 0) {
    config.PhoneChainEnabled = true;
    config.PhoneAttributes = collected.phoneAttributes;
  }

  if (collected.directorySeen || FileHasDirectorySection(reader)) {
    if (collected.directoryProblem.empty() && Trim(collected.directory.source).empty()) {
      collected.directoryProblem = "the section has no \"source\"";
    }
    if (!collected.directoryProblem.empty()) {
      if (!config.problem.empty()) config.problem += "\n";
      config.problem += path + " [DIRECTORY] " + collected.directoryProblem +
                        ": the bundled sample directory is opened instead.";
    } else {
      config.hasDirectory = true;
      config.directory = collected.directory;
      config.directory.source = Resolve(Trim(collected.directory.source), baseDirectory);
    }
  }
  return config;
}

void ApplyPhoneSettings(const Configuration& configuration, AppState& state) {
  if (!configuration.PhoneChainEnabled) return;
  state.PhoneChainEnabled = true;
  state.PhoneAttributes = configuration.PhoneAttributes;
}

directory::DirectorySource DirectorySourceOf(const Configuration& configuration) {
  directory::DirectorySource source;
  if (configuration.hasDirectory) {
    source = configuration.directory;
  } else {
    source.source = directory::SampleTreePath();
  }
  source.names = configuration.names;
  return source;
}

}  // namespace vorlix::core
