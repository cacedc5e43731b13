#include "directory/dotted_name.h"

#include <algorithm>
#include <cctype>

#include "platform/case_fold.h"

namespace vorlix::directory {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::optional<std::vector<NameComponent>> ParseLdapDn(std::string_view dn, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<std::vector<NameComponent>> {
    if (error) *error = why;
    return std::nullopt;
  };
  std::vector<NameComponent> components;
  if (dn.find_first_not_of(' ') == std::string_view::npos) return components;
  components.reserve(static_cast<size_t>(std::count(dn.begin(), dn.end(), '=')));
  size_t i = 0;
  while (i <= dn.size()) {
    NameComponent component;
    // Attribute type up to "=".
    size_t eq = dn.find('=', i);
    if (eq == std::string_view::npos) return fail("name component without '='");
    component.type = TrimBlanks(dn.substr(i, eq - i));
    if (component.type.empty()) return fail("name component without attribute type");
    i = eq + 1;
    while (i < dn.size() && dn[i] == ' ') ++i;
    std::string value;
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
      size_t end =
          dn.find_first_of(quoted ? std::string_view("\"\\") : std::string_view(",;\\"), i);
      if (end == std::string_view::npos) end = dn.size();
      const std::string_view run = dn.substr(i, end - i);
      if (const size_t kept = run.find_last_not_of(' '); kept != std::string_view::npos) {
        lastKept = value.size() + kept + 1;
      }
      value.append(run);
      i = end - 1;
    }
    if (quoted) return fail("unterminated quoted value");
    value.resize(lastKept);
    if (value.empty()) return fail("name component \"" + component.type + "=\" has no value");
    component.value = std::move(value);
    components.push_back(std::move(component));
    if (i >= dn.size()) break;
    ++i;  // past the separator
    if (i >= dn.size()) return fail("name ends with a separator");
  }
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
    // Drop a "type=" prefix (letters, digits and hyphens before an unescaped "=").
    size_t eq = prefix == TypePrefix::kDropped ? current.find('=') : std::string::npos;
    if (eq != std::string::npos && eq > 0) {
      bool isType = true;
      for (size_t k = 0; k < eq; ++k) {
        unsigned char c = static_cast<unsigned char>(current[k]);
        if (!std::isalnum(c) && c != '-') isType = false;
      }
      if (isType) current.erase(0, eq + 1);
    }
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

}  // namespace vorlix::directory
