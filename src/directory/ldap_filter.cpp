#include "directory/ldap_filter.h"

#include <cctype>

#include "directory/client_codes.h"
#include "directory/search_filter.h"

namespace vorlix::directory {

std::string EscapeFilterValue(std::string_view value, Wildcards wildcards) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '*' && wildcards == Wildcards::kKept) {
      if (out.empty() || out.back() != '*') out += '*';
    } else if (c == '(' || c == ')' || c == '\\' || c == '*' || c < 0x20 || c >= 0x7F) {
      out += '\\';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

bool IsAttributeDescription(std::string_view name) {
  if (name.empty()) return false;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (!std::isalnum(c) && c != '-' && c != ';' && c != '.') return false;
  }
  return true;
}

std::string SearchFilter::ToLdapFilter(
    const SchemaNames& names, const std::function<std::string(const std::string&)>& dnOf) const {
  for (const Node& node : nodes_) {
    const bool named = node.kind != Kind::kAnd && node.kind != Kind::kOr && node.kind != Kind::kNot;
    if (named && !IsAttributeDescription(node.attribute)) return std::string();
  }
  std::string out;
  AppendLdap(root_, names, dnOf, out);
  return out;
}

void SearchFilter::AppendLdap(size_t index, const SchemaNames& names,
                              const std::function<std::string(const std::string&)>& dnOf,
                              std::string& out) const {
  const Node& node = nodes_[index];
  switch (node.kind) {
    case Kind::kAnd:
    case Kind::kOr:
    case Kind::kNot:
      out += node.kind == Kind::kAnd ? "(&" : node.kind == Kind::kOr ? "(|" : "(!";
      for (size_t child : node.children) AppendLdap(child, names, dnOf, out);
      out += ')';
      return;
    case Kind::kBaseClass:
      out += "(objectClass=" + EscapeFilterValue(node.attribute, Wildcards::kEscaped) + ")";
      return;
    case Kind::kPresent:
      out += "(" + node.attribute + "=*)";
      return;
    default:
      break;
  }
  const bool name = names.SyntaxOf(node.attribute) == SYN_DIST_NAME;
  const std::string value = name ? dnOf(node.value) : node.value;
  const char* op = node.kind == Kind::kGreaterEqual ? ">="
                   : node.kind == Kind::kLessEqual  ? "<="
                                                    : "=";
  // A name is matched whole; elsewhere "*" of an equality is a wildcard.
  const Wildcards wildcards =
      node.kind == Kind::kEqual && !name ? Wildcards::kKept : Wildcards::kEscaped;
  out += "(" + node.attribute + op + EscapeFilterValue(value, wildcards) + ")";
}

}  // namespace vorlix::directory
