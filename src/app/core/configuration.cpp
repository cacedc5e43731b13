#include "app/core/configuration.h"

#include <algorithm>

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

struct Collected {
  bool phoneSeen = false;
  std::string phone;
  std::vector<std::string> phoneAttributes;
  size_t directoryLine = 0;  // line of the first "[DIRECTORY]" header; 0 when there is none
  bool sourceSeen = false, baseSeen = false, bindDnSeen = false, startTlsSeen = false,
       timeoutSeen = false, bindSeen = false, tlsVerifySeen = false;
  directory::DirectorySource directory;
  IniProblem directoryProblem;            // first bad entry of the DIRECTORY section
  std::vector<IniProblem> namesProblems;  // NAMES lines that were skipped
};

void NoteDirectoryProblem(Collected& c, size_t line, const std::string& what) {
  if (c.directoryProblem.what.empty()) c.directoryProblem = {line, what};
}

// "bind" and "tls_verify" of the DIRECTORY section; false for any other key.
bool TakeSecurityEntry(Collected& c, const IniEntry& entry) {
  const std::string& key = entry.key;
  const std::string& text = entry.value;
  if (EqualNoCase(key, "bind")) {
    if (c.bindSeen) NoteDirectoryProblem(c, entry.line, "\"bind\" is given twice");
    c.bindSeen = true;
    if (EqualNoCase(text, "simple")) {
      c.directory.bind = directory::LdapBind::kSimple;
    } else if (EqualNoCase(text, "gssapi")) {
      c.directory.bind = directory::LdapBind::kGssapi;
    } else if (EqualNoCase(text, "external")) {
      c.directory.bind = directory::LdapBind::kExternal;
    } else {
      NoteDirectoryProblem(c, entry.line,
                           "\"bind\" must be simple, gssapi or external, not \"" + text + "\"");
    }
    return true;
  }
  if (EqualNoCase(key, "tls_verify")) {
    if (c.tlsVerifySeen) NoteDirectoryProblem(c, entry.line, "\"tls_verify\" is given twice");
    c.tlsVerifySeen = true;
    if (EqualNoCase(text, "no")) {
      c.directory.tlsVerify = directory::CertificateCheck::kSkip;
    } else if (EqualNoCase(text, "yes")) {
      c.directory.tlsVerify = directory::CertificateCheck::kVerify;
    } else {
      NoteDirectoryProblem(c, entry.line, "\"tls_verify\" must be yes or no, not \"" + text + "\"");
    }
    return true;
  }
  return false;
}

// "starttls" and "timeout" of the DIRECTORY section; false for any other key.
bool TakeConnectionEntry(Collected& c, const IniEntry& entry) {
  const std::string& key = entry.key;
  const std::string& text = entry.value;
  if (EqualNoCase(key, "starttls")) {
    if (c.startTlsSeen) NoteDirectoryProblem(c, entry.line, "\"starttls\" is given twice");
    c.startTlsSeen = true;
    if (EqualNoCase(text, "yes") || EqualNoCase(text, "true") || text == "1") {
      c.directory.startTls = true;
    } else if (EqualNoCase(text, "no") || EqualNoCase(text, "false") || text == "0") {
      c.directory.startTls = false;
    } else {
      NoteDirectoryProblem(c, entry.line, "\"starttls\" must be yes or no, not \"" + text + "\"");
    }
    return true;
  }
  if (EqualNoCase(key, "timeout")) {
    if (c.timeoutSeen) NoteDirectoryProblem(c, entry.line, "\"timeout\" is given twice");
    c.timeoutSeen = true;
    const auto seconds = platform::ParseInt32(text);
    if (!seconds || *seconds < 1 || *seconds > 3600) {
      NoteDirectoryProblem(
          c, entry.line,
          "\"timeout\" must be a number of seconds from 1 to 3600, not \"" + text + "\"");
    } else {
      c.directory.timeoutSeconds = *seconds;
    }
    return true;
  }
  return false;
}

// One line of the NAMES section, "Program Name=ldapName"; a line that is not of that form is
// skipped with a problem.
void TakeNameEntry(Collected& c, const IniEntry& entry) {
  const std::string& program = entry.key;
  const std::string& ldap = entry.value;
  std::string problem;
  if (ldap.empty()) {
    problem = "\"" + program + "=\" is not \"Program Name=ldapName\"";
  } else if (!directory::IsAttributeDescription(ldap)) {
    problem = "\"" + program + "\" is mapped to \"" + ldap +
              "\", which is no LDAP name (letters, digits and hyphens)";
  }
  if (!problem.empty()) {
    c.namesProblems.push_back({entry.line, "[NAMES] " + problem + "; the line is skipped"});
    return;
  }
  c.directory.names[program] = ldap;
}

void TakeDirectoryEntry(Collected& c, const IniEntry& entry) {
  const std::string& key = entry.key;
  auto take = [&](bool& seen, std::string& into) {
    if (seen) {
      NoteDirectoryProblem(c, entry.line, "\"" + key + "\" is given twice");
      return;
    }
    seen = true;
    into = entry.value;
  };
  if (EqualNoCase(key, "source")) {
    take(c.sourceSeen, c.directory.source);
  } else if (EqualNoCase(key, "base")) {
    take(c.baseSeen, c.directory.base);
  } else if (EqualNoCase(key, "binddn")) {
    take(c.bindDnSeen, c.directory.bindDn);
  } else if (EqualNoCase(key, "password")) {
    NoteDirectoryProblem(c, entry.line, "a password is never read from the file");
  } else if (!TakeConnectionEntry(c, entry) && !TakeSecurityEntry(c, entry)) {
    NoteDirectoryProblem(c, entry.line,
                         "unknown key \"" + key +
                             "\" (known: source, base, binddn, starttls, timeout, bind, "
                             "tls_verify)");
  }
}

void OnEntry(Collected& c, const IniEntry& entry) {
  if (EqualNoCase(entry.section, "SYSTEM")) {
    if (EqualNoCase(entry.key, "phone") && !c.phoneSeen) {
      c.phoneSeen = true;
      c.phone = entry.value;
    }
  } else if (EqualNoCase(entry.section, "PHONE")) {
    c.phoneAttributes.push_back(entry.value);
  } else if (EqualNoCase(entry.section, "DIRECTORY")) {
    TakeDirectoryEntry(c, entry);
  } else if (EqualNoCase(entry.section, "NAMES")) {
    TakeNameEntry(c, entry);
  }
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

}  // namespace

std::string ConfigurationFileProblem(const std::string& path) {
  const platform::RegularFileText file = platform::ReadRegularFile(path);
  return file.status == platform::RegularFileText::kRead ? std::string()
                                                         : path + ": " + file.reason;
}

Configuration LoadConfiguration(const std::string& path) {
  return LoadConfiguration(path, platform::ExecutableDirectory());
}

Configuration LoadConfiguration(const std::string& path, const std::string& baseDirectory) {
  Configuration config;
  const platform::RegularFileText file = platform::ReadRegularFile(path);
  if (file.status == platform::RegularFileText::kMissing) return config;
  if (file.status != platform::RegularFileText::kRead) {
    config.problem = path + ": " + file.reason;
    return config;
  }

  Collected collected;
  std::vector<IniProblem> problems = ReadIni(
      file.text,
      [&](const std::string& section, size_t line) {
        if (collected.directoryLine == 0 && EqualNoCase(section, "DIRECTORY")) {
          collected.directoryLine = line;
        }
      },
      [&](const IniEntry& entry) { OnEntry(collected, entry); });

  config.names = collected.directory.names;
  problems.insert(problems.end(), collected.namesProblems.begin(), collected.namesProblems.end());
  const auto phone = platform::ParseInt32(collected.phone);
  if (phone && *phone != 0) {
    config.PhoneChainEnabled = true;
    config.PhoneAttributes = collected.phoneAttributes;
  }

  if (collected.directoryLine != 0) {
    if (collected.directoryProblem.what.empty() && Trim(collected.directory.source).empty()) {
      collected.directoryProblem = {collected.directoryLine, "the section has no \"source\""};
    }
    if (!collected.directoryProblem.what.empty()) {
      problems.push_back(
          {collected.directoryProblem.line,
           "[DIRECTORY] " + collected.directoryProblem.what + "; the section is not used"});
    } else {
      config.hasDirectory = true;
      config.directory = collected.directory;
      config.directory.source = Resolve(Trim(collected.directory.source), baseDirectory);
    }
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
  if (source.source.empty() || source.source == directory::SampleTreePath()) {
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
  if (configuration.hasDirectory) {
    source = configuration.directory;
  } else {
    source.source = directory::SampleTreePath();
  }
  source.names = configuration.names;
  return source;
}

}  // namespace vorlix::core
