#include "directory/dotted_name.h"

#include <algorithm>
#include <cctype>

#include "platform/case_fold.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Whether c ends a run of plain characters of a value: a quote or escape inside quotes, a
// separator or escape outside.
bool EndsRun(char c, bool quoted) {
  return c == '\\' || (quoted ? c == '"' : c == ',' || c == ';');
}

// Reads the components of an LDAP distinguished name in turn, handing each to
// onComponent(type, value); value is `scratch`, which the next component reuses. False with a
// reason in error for a malformed name.
template <typename OnComponent>
bool ScanLdapDn(std::string_view dn, std::string* error, std::string& scratch,
                OnComponent onComponent) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (dn.find_first_not_of(' ') == std::string_view::npos) return true;
  size_t i = 0;
  while (i <= dn.size()) {
    // Attribute type up to "=".
    size_t eq = dn.find('=', i);
    if (eq == std::string_view::npos) return fail("name component without '='");
    const std::string_view type = TrimBlanks(dn.substr(i, eq - i));
    if (type.empty()) return fail("name component without attribute type");
    i = eq + 1;
    while (i < dn.size() && dn[i] == ' ') ++i;
    std::string& value = scratch;
    value.clear();
    size_t lastKept = 0;  // length of value up to its last escaped or non-blank character
    bool quoted = i < dn.size() && dn[i] == '"';
    if (quoted) ++i;
    for (; i < dn.size(); ++i) {
      char c = dn[i];
      if (quoted && c == '"') {
        quoted = false;
        lastKept = value.size();
        continue;
      }
      if (!quoted && (c == ',' || c == ';')) break;
      if (c == '\\') {
        if (i + 1 >= dn.size()) return fail("name ends with a lone '\\'");
        int high = HexDigit(dn[i + 1]);
        int low = i + 2 < dn.size() ? HexDigit(dn[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
          value.push_back(static_cast<char>(high * 16 + low));
          i += 2;
        } else {
          value.push_back(dn[++i]);
        }
        lastKept = value.size();
        continue;
      }
      // A run of plain characters at once, up to the next quote, separator or escape.
      size_t end = i;
      while (end < dn.size() && !EndsRun(dn[end], quoted)) ++end;
      const std::string_view run = dn.substr(i, end - i);
      if (const size_t kept = run.find_last_not_of(' '); kept != std::string_view::npos) {
        lastKept = value.size() + kept + 1;
      }
      value.append(run);
      i = end - 1;
    }
    if (quoted) return fail("unterminated quoted value");
    value.resize(lastKept);
    if (value.empty()) return fail("name component \"" + std::string(type) + "=\" has no value");
    onComponent(type, value);
    if (i >= dn.size()) break;
    ++i;  // past the separator
    if (i >= dn.size()) return fail("name ends with a separator");
  }
  return true;
}

// The length of a component's "type=" prefix (letters, digits and hyphens before its first
// "="), the "=" included; 0 when it has none.
size_t TypePrefixLength(std::string_view component) {
  const size_t eq = component.find('=');
  if (eq == std::string_view::npos || eq == 0) return 0;
  for (size_t k = 0; k < eq; ++k) {
    const auto c = static_cast<unsigned char>(component[k]);
    if (!std::isalnum(c) && c != '-') return 0;
  }
  return eq + 1;
}

}  // namespace

std::optional<std::vector<NameComponent>> ParseLdapDn(std::string_view dn, std::string* error) {
  std::vector<NameComponent> components;
  components.reserve(static_cast<size_t>(std::count(dn.begin(), dn.end(), '=')));
  std::string value;
  const bool parsed = ScanLdapDn(dn, error, value, [&](std::string_view type, std::string& held) {
    components.push_back(NameComponent{std::string(type), std::move(held)});
  });
  if (!parsed) return std::nullopt;
  return components;
}

std::string DottedName(const std::vector<NameComponent>& components, NameForm form) {
  const bool typed = form == NameForm::kTyped;
  size_t size = components.size();
  for (const NameComponent& component : components) {
    size += component.value.size() + (typed ? component.type.size() + 1 : 0);
  }
  std::string dotted;
  dotted.reserve(size + 4);
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) dotted += '.';
    if (typed) dotted.append(components[i].type).append(1, '=');
    const std::string& value = components[i].value;
    size_t copied = 0;  // the value up to here is in dotted
    for (size_t k = 0; k < value.size(); ++k) {
      if (value[k] != '.' && value[k] != '\\') continue;
      // A backslash that a reader would take for the start of "\." or "\\" is doubled.
      const char next = k + 1 < value.size()        ? value[k + 1]
                        : i + 1 < components.size() ? '.'
                                                    : '\0';
      if (value[k] == '.' || next == '.' || next == '\\') {
        dotted.append(value, copied, k - copied).append(1, '\\');
        copied = k;
      }
    }
    dotted.append(value, copied);
  }
  return dotted;
}

std::vector<std::string> SplitDottedName(std::string_view dotted, TypePrefix prefix,
                                         DotEscapes escapes) {
  std::vector<std::string> values;
  std::string current;
  auto finish = [&] {
    if (prefix == TypePrefix::kDropped) current.erase(0, TypePrefixLength(current));
    values.push_back(std::move(current));
    current.clear();
  };
  for (size_t i = 0; i < dotted.size(); ++i) {
    char c = dotted[i];
    if (c == '\\' && i + 1 < dotted.size() &&
        (dotted[i + 1] == '.' || (escapes == DotEscapes::kCurrent && dotted[i + 1] == '\\'))) {
      current += dotted[++i];
    } else if (c == '.') {
      finish();
    } else {
      current += c;
    }
  }
  finish();
  return values;
}

bool ReadsOtherwiseEarlier(std::string_view dotted) {
  return dotted.find("\\\\") != std::string_view::npos;
}

std::string DottedNameFault(std::string_view dotted) {
  if (dotted.empty()) return "it is empty";
  // Reads the name as SplitDottedName does, counting the characters of each component.
  size_t length = 0;
  for (size_t i = 0; i < dotted.size(); ++i) {
    if (dotted[i] == '.') {
      if (length == 0) return i == 0 ? "it begins with a dot" : "it has two dots in a row";
      length = 0;
      continue;
    }
    if (dotted[i] == '\\' && i + 1 < dotted.size() &&
        (dotted[i + 1] == '.' || dotted[i + 1] == '\\'))
      ++i;
    ++length;
  }
  return length == 0 ? "it ends with a dot" : std::string();
}

std::string NameKey(const std::vector<std::string>& values) {
  std::string key;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) key += kNameKeySeparator;
    platform::AppendFoldCase(key, values[i]);
  }
  return key;
}

std::string ComponentsKey(const std::vector<NameComponent>& components) {
  std::string key;
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) key += kNameKeySeparator;
    platform::AppendFoldCase(key, components[i].value);
  }
  return key;
}

namespace {

// Most names are plain: ASCII letters, digits and punctuation with no blank, quote, escape or
// ";". Their key is each component's value after its first "=", lower-cased, and is built in one
// pass. False, with key unspecified, for any other name, which the full reading then takes.
bool PlainLdapDnKey(std::string_view dn, std::string& key) {
  key.resize(dn.size());
  char* out = key.data();
  bool inValue = false;  // past the component's first "="
  size_t typeLength = 0, valueLength = 0;
  for (const char c : dn) {
    if (c <= ' ' || c > '~' || c == '\\' || c == '"' || c == ';') return false;
    if (c == ',') {
      if (!inValue || valueLength == 0) return false;
      *out++ = kNameKeySeparator;
      inValue = false;
      typeLength = valueLength = 0;
    } else if (!inValue) {
      if (c == '=') {
        if (typeLength == 0) return false;
        inValue = true;
      } else {
        ++typeLength;
      }
    } else {
      *out++ = platform::LowerCase(c);
      ++valueLength;
    }
  }
  if (!inValue || valueLength == 0) return false;
  key.resize(static_cast<size_t>(out - key.data()));
  return true;
}

// A dotted name without an escape, a "=" or a byte above ASCII: its key is the name lower-cased
// with each dot a separator. False, with key unspecified, for any other name.
bool PlainDottedNameKey(std::string_view dotted, std::string& key) {
  key.resize(dotted.size());
  char* out = key.data();
  for (const char c : dotted) {
    if (c == '\\' || c == '=' || static_cast<unsigned char>(c) >= 0x80) return false;
    if (c == '.') {
      *out++ = kNameKeySeparator;
    } else {
      *out++ = platform::LowerCase(c);
    }
  }
  return true;
}

}  // namespace

void DottedNameKey(std::string_view dotted, TypePrefix prefix, DotEscapes escapes, std::string& key,
                   std::string& scratch) {
  if (PlainDottedNameKey(dotted, key)) return;
  key.clear();
  scratch.clear();
  const auto finish = [&] {
    std::string_view value = scratch;
    if (prefix == TypePrefix::kDropped) value.remove_prefix(TypePrefixLength(value));
    platform::AppendFoldCase(key, value);
    scratch.clear();
  };
  for (size_t i = 0; i < dotted.size(); ++i) {
    const char c = dotted[i];
    if (c == '\\' && i + 1 < dotted.size() &&
        (dotted[i + 1] == '.' || (escapes == DotEscapes::kCurrent && dotted[i + 1] == '\\'))) {
      scratch += dotted[++i];
    } else if (c == '.') {
      finish();
      key += kNameKeySeparator;
    } else {
      scratch += c;
    }
  }
  finish();
}

bool LdapDnKey(std::string_view dn, std::string& key, std::string& scratch) {
  if (!dn.empty() && PlainLdapDnKey(dn, key)) return true;
  key.clear();
  bool first = true;
  return ScanLdapDn(dn, nullptr, scratch, [&](std::string_view, const std::string& value) {
    if (!first) key += kNameKeySeparator;
    first = false;
    platform::AppendFoldCase(key, value);
  });
}

}  // namespace vorlix::directory
