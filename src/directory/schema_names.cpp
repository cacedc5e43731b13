#include "directory/schema_names.h"

#include <cctype>
#include <optional>
#include <vector>

#include "directory/client_codes.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

// The drop-spaces-and-colons rule with its fixed exceptions.
std::string RuleName(const std::string& programName) {
  std::string lower = LowerCase(programName);
  if (lower == "group") return "groupofnames";
  std::string name;
  for (char c : lower) {
    if (c != ' ' && c != ':') name += c;
  }
  return name;
}

// Syntaxes of the attributes the program reads, for trees without a schema; nullopt for others.
std::optional<int32_t> BuiltInSyntax(const std::string& key) {
  static const std::unordered_map<std::string, int32_t> table = {
      {"member", SYN_DIST_NAME},          {"wmnameuser", SYN_DIST_NAME},
      {"wmlastregisteredtime", SYN_TIME}, {"telephonenumber", SYN_TEL_NUMBER},
      {"description", SYN_CI_STRING},     {"cn", SYN_CI_STRING},
      {"zeninvipaddress", SYN_CI_STRING}, {"objectclass", SYN_CLASS_NAME},
  };
  auto it = table.find(key);
  return it == table.end() ? std::nullopt : std::optional<int32_t>(it->second);
}

// Attribute types of the standard schema that have a second name, by the second name: what a
// tree without a schema of its own means by either ("surname" is "sn"), as an LDAP server knows.
const std::unordered_map<std::string, std::string>& StandardAliases() {
  static const std::unordered_map<std::string, std::string> aliases = {
      {"surname", "sn"},
      {"commonname", "cn"},
      {"localityname", "l"},
      {"stateorprovincename", "st"},
      {"streetaddress", "street"},
      {"organizationname", "o"},
      {"organizationalunitname", "ou"},
      {"countryname", "c"},
      {"gn", "givenname"},
      {"userid", "uid"},
      {"domaincomponent", "dc"},
      {"rfc822mailbox", "mail"},
      {"mobiletelephonenumber", "mobile"},
      {"pagertelephonenumber", "pager"},
      {"hometelephonenumber", "homephone"},
      {"fax", "facsimiletelephonenumber"},
  };
  return aliases;
}

// A token of a schema definition: "(", ")", a quoted text (without its quotes) or a word. Only
// words and brackets outside quotes are keywords and lists: DESC 'NAME' is a description.
struct Token {
  std::string text;
  bool quoted = false;
  bool Is(const char* word) const { return !quoted && text == word; }
};

std::vector<Token> Tokenize(const std::string& definition) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < definition.size()) {
    char c = definition[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '(' || c == ')') {
      tokens.push_back({std::string(1, c)});
      ++i;
    } else if (c == '\'') {
      size_t end = definition.find('\'', i + 1);
      if (end == std::string::npos) end = definition.size();
      tokens.push_back({definition.substr(i + 1, end - i - 1), true});
      i = end + 1;
    } else {
      size_t start = i;
      while (i < definition.size() && !std::isspace(static_cast<unsigned char>(definition[i])) &&
             definition[i] != '(' && definition[i] != ')') {
        ++i;
      }
      tokens.push_back({definition.substr(start, i - start)});
    }
  }
  return tokens;
}

struct Definition {
  std::vector<std::string> names;
  std::string programName;
  std::string syntaxOid;
  std::string superior;  // SUP: the type whose syntax an attribute type without SYNTAX has
  std::vector<std::string> superiors;  // SUP of a class: one, or a list
  bool structural = true;              // no AUXILIARY or ABSTRACT
};

// Active Directory's Large Integer syntax (64-bit numbers, Windows times among them).
constexpr char kLargeIntegerOid[] = "1.2.840.113556.1.4.906";

// Reads NAME (one or a list), SYNTAX and X-NDS_NAME of a definition.
Definition ReadDefinition(const std::string& text) {
  Definition d;
  std::vector<Token> t = Tokenize(text);
  for (size_t i = 0; i + 1 < t.size(); ++i) {
    if (t[i].Is("NAME")) {
      if (t[i + 1].Is("(")) {
        for (size_t k = i + 2; k < t.size() && !t[k].Is(")"); ++k) d.names.push_back(t[k].text);
      } else {
        d.names.push_back(t[i + 1].text);
      }
    } else if (t[i].Is("SUP") && !t[i + 1].Is("(")) {
      d.superior = t[i + 1].text;
      d.superiors.push_back(t[i + 1].text);
    } else if (t[i].Is("SUP")) {
      for (size_t k = i + 2; k < t.size() && !t[k].Is(")"); ++k) {
        if (!t[k].Is("$")) d.superiors.push_back(t[k].text);
      }
    } else if (t[i].Is("SYNTAX")) {
      d.syntaxOid = t[i + 1].text.substr(0, t[i + 1].text.find('{'));
    } else if (t[i].Is("X-NDS_NAME")) {
      d.programName = t[i + 1].Is("(") && i + 2 < t.size() ? t[i + 2].text : t[i + 1].text;
    }
  }
  for (const Token& token : t) {
    if (token.Is("AUXILIARY") || token.Is("ABSTRACT")) d.structural = false;
  }
  return d;
}

}  // namespace

int32_t SchemaNames::SyntaxFromOid(const std::string& oid) {
  static const std::string kStandard = "1.3.6.1.4.1.1466.115.121.1.";
  size_t dot = oid.rfind('.');
  if (dot == std::string::npos || dot + 1 >= oid.size()) return -1;
  int arc = 0;
  for (size_t i = dot + 1; i < oid.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(oid[i])) || arc > 100000) return -1;
    arc = arc * 10 + (oid[i] - '0');
  }
  if (oid.compare(0, kStandard.size(), kStandard) == 0) {
    switch (arc) {
      case 12:
      case 34:
        return SYN_DIST_NAME;
      case 44:
        return SYN_PR_STRING;
      case 36:
        return SYN_NU_STRING;
      case 7:
        return SYN_BOOLEAN;
      case 27:
        return SYN_INTEGER;
      case 5:
      case 40:
        return SYN_OCTET_STRING;
      case 50:
        return SYN_TEL_NUMBER;
      case 22:
        return SYN_FAX_NUMBER;
      case 24:
        return SYN_TIME;
      case 38:
        return SYN_CLASS_NAME;
      case 41:
        return SYN_PO_ADDRESS;
      default:
        return SYN_CI_STRING;
    }
  }
  // A directory's own syntaxes carry their number as the last arc.
  return arc <= kHighestSyntax ? arc : -1;
}

void SchemaNames::AddAttributeType(const std::string& definition) {
  Definition d = ReadDefinition(definition);
  if (d.names.empty()) return;
  const std::string key = LowerCase(d.names.front());
  int32_t syntax = SyntaxFromOid(d.syntaxOid);
  for (const std::string& name : d.names) {
    if (d.syntaxOid == kLargeIntegerOid) largeIntegers_.insert(LowerCase(name));
    if (syntax >= 0) syntaxes_[LowerCase(name)] = syntax;
    if (d.syntaxOid.empty() && !d.superior.empty())
      superiors_[LowerCase(name)] = LowerCase(d.superior);
    canonical_[LowerCase(name)] = key;
  }
  if (!d.programName.empty()) attributeNames_[LowerCase(d.programName)] = key;
}

void SchemaNames::AddObjectClass(const std::string& definition) {
  Definition d = ReadDefinition(definition);
  if (d.names.empty()) return;
  const std::string key = LowerCase(d.names.front());
  for (const std::string& name : d.names) {
    std::vector<std::string>& superiors = classSuperiors_[LowerCase(name)];
    for (const std::string& superior : d.superiors) superiors.push_back(LowerCase(superior));
    if (!d.structural) notStructural_.insert(LowerCase(name));
  }
  if (!d.programName.empty()) {
    classNames_[LowerCase(d.programName)] = key;
    classProgramNames_[key] = d.programName;
  }
}

void SchemaNames::SetOverride(const std::string& programName, const std::string& ldapName) {
  const std::string key = LowerCase(ldapName);
  overrides_[LowerCase(programName)] = key;
  // The attribute named takes the syntax the program reads the name with, unless a schema or
  // the built-in table says otherwise ("WM:NAME User=owner": owner holds names).
  if (const std::optional<int32_t> own = BuiltInSyntax(RuleName(programName))) {
    mappedSyntaxes_[key] = *own;
    if (*own == SYN_TIME) timeTargets_.insert(key);
  }
}

std::string SchemaNames::AttributeKey(const std::string& programName) const {
  const std::string lower = LowerCase(programName);
  if (auto it = overrides_.find(lower); it != overrides_.end()) return CanonicalOfKey(it->second);
  if (auto it = attributeNames_.find(lower); it != attributeNames_.end()) return it->second;
  return CanonicalOfKey(RuleName(programName));
}

std::string SchemaNames::ClassKey(const std::string& programName) const {
  const std::string lower = LowerCase(programName);
  if (auto it = overrides_.find(lower); it != overrides_.end()) return it->second;
  if (auto it = classNames_.find(lower); it != classNames_.end()) return it->second;
  return RuleName(programName);
}

std::string SchemaNames::ProgramClassName(const std::string& ldapName) const {
  const std::string key = LowerCase(ldapName);
  if (auto it = classProgramNames_.find(key); it != classProgramNames_.end()) return it->second;
  if (key == "groupofnames") return "Group";
  return ldapName;
}

std::string SchemaNames::BaseClassOf(const std::vector<std::string>& structuralObjectClass,
                                     const std::vector<std::string>& objectClass) const {
  const std::vector<std::string>& listed =
      structuralObjectClass.empty() ? objectClass : structuralObjectClass;
  std::vector<std::string> candidates;
  for (const std::string& value : listed) {
    std::string key = LowerCase(value);
    if (key != "top" && !notStructural_.contains(key)) candidates.push_back(std::move(key));
  }
  // Whether `ancestor` is a superior of `key`, up the schema's SUP chains (a few steps suffice; a
  // loop in a broken schema ends there).
  auto derivesFrom = [this](const std::string& key, const std::string& ancestor) {
    std::vector<std::string> level{key};
    for (int depth = 0; depth < 16 && !level.empty(); ++depth) {
      std::vector<std::string> next;
      for (const std::string& k : level) {
        auto up = classSuperiors_.find(k);
        if (up == classSuperiors_.end()) continue;
        for (const std::string& superior : up->second) {
          if (superior == ancestor) return true;
          next.push_back(superior);
        }
      }
      level = std::move(next);
    }
    return false;
  };
  std::vector<std::string> lowest;
  for (const std::string& candidate : candidates) {
    bool isSuperior = false;
    for (const std::string& other : candidates) {
      isSuperior = isSuperior || (other != candidate && derivesFrom(other, candidate));
    }
    if (!isSuperior) lowest.push_back(candidate);
  }
  if (lowest.size() == 1) return lowest.front();
  return BaseClassKey(structuralObjectClass, objectClass);
}

bool SchemaNames::HoldsWindowsTime(const std::string& attributeKey) const {
  return largeIntegers_.contains(attributeKey) && timeTargets_.contains(attributeKey);
}

int32_t SchemaNames::SyntaxOf(const std::string& attributeKey) const {
  if (HoldsWindowsTime(attributeKey)) return SYN_TIME;
  // An attribute type without a syntax of its own has its superior's ("member" SUP
  // distinguishedName); a few steps suffice, and a loop in a broken schema ends there.
  std::string key = attributeKey;
  for (int depth = 0; depth < 8; ++depth) {
    if (auto it = syntaxes_.find(key); it != syntaxes_.end()) return it->second;
    auto up = superiors_.find(key);
    if (up == superiors_.end()) break;
    key = up->second;
  }
  if (const std::optional<int32_t> builtIn = BuiltInSyntax(attributeKey)) return *builtIn;
  if (auto it = mappedSyntaxes_.find(attributeKey); it != mappedSyntaxes_.end()) return it->second;
  return SYN_CI_STRING;
}

std::string SchemaNames::CanonicalKey(const std::string& attributeName) const {
  return CanonicalOfKey(LowerCase(attributeName));
}

std::string SchemaNames::CanonicalOfKey(std::string key) const {
  if (auto it = canonical_.find(key); it != canonical_.end()) return it->second;
  if (auto it = StandardAliases().find(key); it != StandardAliases().end()) return it->second;
  return key;
}

}  // namespace vorlix::directory
