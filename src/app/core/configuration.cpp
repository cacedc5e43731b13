#include "app/core/configuration.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>

#include "app/core/ini_reader.h"
#include "directory/ldap_filter.h"
#include "platform/number_picture.h"
#include "platform/plain_text.h"
#include "platform/regular_file.h"
#include "platform/system_info.h"

namespace vorlix::core {

using platform::EqualNoCase;

namespace {

// Problems beyond this many are counted, not listed: one message box must stay readable.
constexpr size_t kMaxListedProblems = 10;

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

struct Collected {
  std::string phone = "0";
  std::vector<std::string> phoneAttributes;
  size_t directoryLine = 0;  // line of the first "[DIRECTORY]" header; 0 when there is none
  bool sourceGiven = false;
  directory::DirectorySource directory;
  std::map<std::string, size_t> sectionLines;  // lower-cased section: line of its first header
  std::map<std::string, size_t> keyLines;      // section and key: line of the value taken
  std::vector<IniProblem> problems;
};

// Takes the value of a known key's entry into what is collected; returns what is wrong with the
// value, empty when it was taken.
using ValueTaker = std::string (*)(Collected&, const IniEntry& entry);

// A yes/no value; nullopt for anything else.
std::optional<bool> YesOrNo(const std::string& text) {
  if (EqualNoCase(text, "yes") || EqualNoCase(text, "true") || text == "1") return true;
  if (EqualNoCase(text, "no") || EqualNoCase(text, "false") || text == "0") return false;
  return std::nullopt;
}

std::string TakePhone(Collected& c, const IniEntry& entry) {
  const std::string& value = entry.value;
  if (!platform::ParseInt32(value)) {
    return "\"phone\" must be a whole number (0: off, any other: on), not " + Quoted(value);
  }
  c.phone = value;
  return {};
}

std::string TakePhoneAttribute(Collected& c, const IniEntry& entry) {
  c.phoneAttributes.push_back(entry.value);
  return {};
}

std::string TakeSource(Collected& c, const IniEntry& entry) {
  const std::string& value = entry.value;
  if (Trim(value).empty()) return "\"source\" has no value";
  c.directory.source = value;
  c.sourceGiven = true;
  return {};
}

std::string TakeBase(Collected& c, const IniEntry& entry) {
  c.directory.base = entry.value;
  return {};
}

std::string TakeBindDn(Collected& c, const IniEntry& entry) {
  c.directory.bindDn = entry.value;
  return {};
}

// A yes/no value of the key `name` into `into`.
std::string TakeYesOrNo(const char* name, const IniEntry& entry, bool& into) {
  const std::optional<bool> on = YesOrNo(entry.value);
  if (!on) return Quoted(name) + " must be yes or no, not " + Quoted(entry.value);
  into = *on;
  return {};
}

std::string TakeStartTls(Collected& c, const IniEntry& entry) {
  return TakeYesOrNo("starttls", entry, c.directory.startTls);
}

std::string TakeTimeout(Collected& c, const IniEntry& entry) {
  const std::string& value = entry.value;
  const auto seconds = platform::ParseInt32(value);
  if (!seconds || *seconds < 1 || *seconds > 3600) {
    return "\"timeout\" must be a number of seconds from 1 to 3600, not " + Quoted(value);
  }
  c.directory.timeoutSeconds = *seconds;
  return {};
}

std::string TakeBind(Collected& c, const IniEntry& entry) {
  const std::string& value = entry.value;
  using directory::BindMethod;
  if (EqualNoCase(value, "simple")) {
    c.directory.bind = BindMethod::kSimple;
  } else if (EqualNoCase(value, "gssapi")) {
    c.directory.bind = BindMethod::kGssapi;
  } else if (EqualNoCase(value, "external")) {
    c.directory.bind = BindMethod::kExternal;
  } else {
    return "\"bind\" must be simple, gssapi or external, not " + Quoted(value);
  }
  return {};
}

std::string TakeTlsVerify(Collected& c, const IniEntry& entry) {
  return TakeYesOrNo("tls_verify", entry, c.directory.tlsVerify);
}

std::string RefusePassword(Collected&, const IniEntry&) {
  return "\"password\" is refused: passwords are never stored in the configuration file (the "
         "window asks for it; vorlix-cli reads --password-file or VORLIX_LDAP_PASSWORD)";
}

// One line of the NAMES section, "Program Name=ldapName".
std::string TakeName(Collected& c, const IniEntry& entry) {
  const std::string& ldap = entry.value;
  if (ldap.empty()) return Quoted(entry.key + "=") + " is not \"Program Name=ldapName\"";
  if (!directory::IsAttributeDescription(ldap)) {
    return Quoted(entry.key) + " is mapped to " + Quoted(ldap) +
           ", which is no LDAP name (letters, digits and hyphens)";
  }
  c.directory.names.emplace(entry.key, ldap);
  return {};
}

// What happens to a key given twice in its section.
enum class Repeats {
  kFirstWins,  // the first value taken is used, later lines are skipped
  kEachTaken,  // every line is taken in file order ("PHONE": the keys only give the order)
};

// One key of a section; an empty key stands for every key of the section.
struct KnownKey {
  const char* section;
  const char* key;
  ValueTaker take;
  Repeats repeats = Repeats::kFirstWins;
  bool listed = true;  // named in the list of known keys
};

// Every key the configuration knows, by section. A new key is one line here.
const std::vector<KnownKey>& KnownKeys() {
  static const std::vector<KnownKey> keys = {
      {"SYSTEM", "phone", TakePhone},
      {"PHONE", "", TakePhoneAttribute, Repeats::kEachTaken},
      {"DIRECTORY", "source", TakeSource},
      {"DIRECTORY", "base", TakeBase},
      {"DIRECTORY", "binddn", TakeBindDn},
      {"DIRECTORY", "starttls", TakeStartTls},
      {"DIRECTORY", "timeout", TakeTimeout},
      {"DIRECTORY", "bind", TakeBind},
      {"DIRECTORY", "tls_verify", TakeTlsVerify},
      {"DIRECTORY", "password", RefusePassword, Repeats::kFirstWins, false},
      {"NAMES", "", TakeName},
  };
  return keys;
}

// The known section named so (any letter case), as the table spells it; nullptr when unknown.
const char* KnownSection(const std::string& name) {
  for (const KnownKey& known : KnownKeys()) {
    if (EqualNoCase(known.section, name)) return known.section;
  }
  return nullptr;
}

// "a, b, c": the sections (section null), or the listed keys of one section, in table order.
std::string KnownList(const char* section) {
  std::vector<std::string_view> names;
  for (const KnownKey& known : KnownKeys()) {
    std::string_view name;
    if (section == nullptr) {
      name = known.section;
    } else if (known.listed && std::string_view(known.section) == section) {
      name = known.key;
    }
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(name);
    }
  }
  std::string list;
  for (const std::string_view name : names) list.append(list.empty() ? "" : ", ").append(name);
  return list;
}

const KnownKey* KnownKeyOf(const char* section, const std::string& key) {
  for (const KnownKey& known : KnownKeys()) {
    if (std::string_view(known.section) == section &&
        (known.key[0] == '\0' || EqualNoCase(known.key, key)))
      return &known;
  }
  return nullptr;
}

void OnHeader(Collected& c, const IniHeader& header) {
  const char* section = KnownSection(header.section);
  if (section != nullptr && EqualNoCase(section, "DIRECTORY") && c.directoryLine == 0) {
    c.directoryLine = header.line;
  }
  if (!header.readable) return;  // told by the reader
  if (section == nullptr) {
    c.problems.push_back({header.line, "unknown section [" + header.section + "] (known: " +
                                           KnownList(nullptr) + "); its entries are skipped"});
    return;
  }
  const auto [first, isNew] = c.sectionLines.emplace(section, header.line);
  if (!isNew) {
    c.problems.push_back({header.line, "[" + std::string(section) +
                                           "] appears again (first on line " +
                                           std::to_string(first->second) +
                                           "); its entries are merged into that section"});
  }
}

void OnEntry(Collected& c, const IniEntry& entry) {
  const char* section = KnownSection(entry.section);
  if (section == nullptr) return;  // told once, at its header
  const auto skip = [&](const std::string& what) {
    c.problems.push_back(
        {entry.line, "[" + std::string(section) + "] " + what + "; the line is skipped"});
  };
  const KnownKey* known = KnownKeyOf(section, entry.key);
  if (known == nullptr) {
    skip("unknown key " + Quoted(entry.key) + " (known: " + KnownList(section) + ")");
    return;
  }
  const std::string slot = std::string(section) + '\x1f' + platform::LowerCase(entry.key);
  if (known->repeats == Repeats::kFirstWins) {
    if (const auto first = c.keyLines.find(slot); first != c.keyLines.end()) {
      skip(Quoted(entry.key) + " is given again; the value of line " +
           std::to_string(first->second) + " is used");
      return;
    }
  }
  if (const std::string problem = known->take(c, entry); !problem.empty()) {
    skip(problem);
    return;
  }
  c.keyLines.emplace(slot, entry.line);
}

bool IsUrl(const std::string& source) {
  return source.find("://") != std::string::npos;
}

std::string Resolve(const std::string& source, const std::string& baseDirectory) {
  if (source.empty() || source[0] == '/' || IsUrl(source)) return source;
  return baseDirectory + "/" + source;
}

// One line per problem, "file:line: what", the lines beyond the first few counted.
std::string ProblemText(const std::string& path, const std::vector<IniProblem>& problems) {
  std::string text;
  for (size_t i = 0; i < problems.size() && i < kMaxListedProblems; ++i) {
    if (!text.empty()) text += '\n';
    text += path + ":" + std::to_string(problems[i].line) + ": " + problems[i].what;
  }
  if (problems.size() > kMaxListedProblems) {
    text += "\n" + path + ": " + std::to_string(problems.size() - kMaxListedProblems) +
            " more lines with problems";
  }
  return text;
}

// The file, when it is a regular file of at most kMaxConfigurationBytes.
platform::RegularFileText ReadConfigurationFile(const std::string& path) {
  return platform::ReadSmallFile(path, kMaxConfigurationBytes, platform::Pipes::kRefused);
}

}  // namespace

std::string ConfigurationFileProblem(const std::string& path) {
  const platform::RegularFileText file = ReadConfigurationFile(path);
  return file.status == platform::RegularFileText::kRead ? std::string()
                                                         : path + ": " + file.reason;
}

Configuration LoadConfiguration(const std::string& path) {
  return LoadConfiguration(path, platform::ExecutableDirectory());
}

Configuration LoadConfiguration(const std::string& path, const std::string& baseDirectory) {
  Configuration config;
  const platform::RegularFileText file = ReadConfigurationFile(path);
  if (file.status == platform::RegularFileText::kMissing) return config;
  if (file.status != platform::RegularFileText::kRead) {
    config.problem = path + ": " + file.reason;
    config.directory.refusal =
        path + ": the configuration cannot be read, so the directory it names is not known";
    return config;
  }

  Collected collected;
  std::vector<IniProblem> problems = ReadIni(
      file.text, [&](const IniHeader& header) { OnHeader(collected, header); },
      [&](const IniEntry& entry) { OnEntry(collected, entry); });
  if (IsUtf16Text(file.text)) {
    config.directory.refusal =
        path + ": the configuration cannot be read, so the directory it names is not known";
  }
  problems.insert(problems.end(), collected.problems.begin(), collected.problems.end());

  config.names = collected.directory.names;
  const auto phone = platform::ParseInt32(collected.phone);
  if (phone && *phone != 0) {
    config.PhoneChainEnabled = true;
    config.PhoneAttributes = collected.phoneAttributes;
  }

  if (collected.directoryLine != 0 && !collected.sourceGiven) {
    config.directory.refusal = path + ":" + std::to_string(collected.directoryLine) +
                               ": the [DIRECTORY] section names no usable \"source\", so no "
                               "directory is opened";
  } else if (collected.sourceGiven) {
    config.hasDirectory = true;
    config.directory = collected.directory;
    config.directory.source = Resolve(Trim(collected.directory.source), baseDirectory);
  }
  std::stable_sort(problems.begin(), problems.end(),
                   [](const IniProblem& a, const IniProblem& b) { return a.line < b.line; });
  config.problem = ProblemText(path, problems);
  return config;
}

std::string ConfigurationMessage(const Configuration& configuration,
                                 const directory::DirectorySource& source) {
  if (configuration.problem.empty()) return {};
  std::string message = configuration.problem;
  if (OpensSampleTree(source)) {
    message += "\nNo directory is configured, so the bundled sample tree is opened.";
  }
  return message;
}

void ApplyPhoneSettings(const Configuration& configuration, AppState& state) {
  if (!configuration.PhoneChainEnabled) return;
  state.PhoneChainEnabled = true;
  state.PhoneAttributes = configuration.PhoneAttributes;
}

directory::DirectorySource DirectorySourceOf(const Configuration& configuration) {
  directory::DirectorySource source;
  if (configuration.hasDirectory || !configuration.directory.refusal.empty()) {
    source = configuration.directory;
  } else {
    source.source = directory::SampleTreePath();
  }
  source.names = configuration.names;
  return source;
}

bool OpensSampleTree(const directory::DirectorySource& source) {
  return source.refusal.empty() &&
         (source.source.empty() || source.source == directory::SampleTreePath());
}

}  // namespace vorlix::core
