#include "directory/search_filter.h"

#include <charconv>

#include "directory/client_codes.h"
#include "directory/dotted_name.h"
#include "platform/case_fold.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::FoldCase;
using platform::LowerCase;

namespace {

bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// The match of text against pattern, byte by byte; with foldAscii A to Z match a to z.
// sawOtherBytes tells whether a byte beyond ASCII was compared: only then can the Unicode fold
// give another result.
bool MatchBytes(std::string_view pattern, std::string_view text, bool foldAscii,
                bool& sawOtherBytes) {
  const auto fold = [foldAscii](char c) { return foldAscii ? LowerCase(c) : c; };
  sawOtherBytes = false;
  size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
      continue;
    }
    if (p < pattern.size()) sawOtherBytes |= !IsAscii(pattern[p]) || !IsAscii(text[t]);
    if (p < pattern.size() && fold(pattern[p]) == fold(text[t])) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Compares two values for ordering: as numbers when both are, else as case-folded texts.
int Compare(std::string_view a, std::string_view b) {
  long long x = 0, y = 0;
  auto ra = std::from_chars(a.data(), a.data() + a.size(), x);
  auto rb = std::from_chars(b.data(), b.data() + b.size(), y);
  if (ra.ec == std::errc() && ra.ptr == a.data() + a.size() && rb.ec == std::errc() &&
      rb.ptr == b.data() + b.size()) {
    return x < y ? -1 : x > y ? 1 : 0;
  }
  return FoldCase(a).compare(FoldCase(b));
}

// The text a value is compared as: names in their typeless dotted spelling.
std::string ComparedText(std::string_view value) {
  auto components = ParseLdapDn(value, nullptr);
  return components && !components->empty() ? DottedName(*components, NameForm::kTypeless)
                                            : std::string(value);
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text, bool ignoreCase) {
  // ASCII folds byte by byte. Where bytes beyond ASCII were compared, both texts are folded
  // whole and matched again, as one letter may fold to two.
  bool sawOtherBytes = false;
  const bool matched = MatchBytes(pattern, text, ignoreCase, sawOtherBytes);
  if (!ignoreCase || !sawOtherBytes) return matched;
  return MatchBytes(FoldCase(pattern), FoldCase(text), false, sawOtherBytes);
}

class FilterParser {
 public:
  FilterParser(const std::vector<FilterToken>& tokens, const SchemaNames& names,
               SearchFilter& filter)
      : tokens_(tokens), names_(names), filter_(filter) {}

  bool Run(std::string* error) {
    try {
      filter_.root_ = Expression();
      if (Peek() != kTokEnd) throw std::string("unexpected token after the filter");
      return true;
    } catch (const std::string& why) {
      if (error) *error = why;
      return false;
    }
  }

 private:
  int32_t Peek() const { return at_ < tokens_.size() ? tokens_[at_].token : -1; }
  const FilterToken& Take() {
    if (at_ >= tokens_.size()) throw std::string("filter ends before its END token");
    return tokens_[at_++];
  }
  size_t Add(SearchFilter::Node node) {
    filter_.nodes_.push_back(std::move(node));
    return filter_.nodes_.size() - 1;
  }
  std::string NameValue(const FilterToken& token) {
    if (token.token != kTokAttrName || !token.value) {
      throw std::string("an attribute name token with a name was expected");
    }
    return *token.value;
  }

  size_t Expression() { return Chain(kTokOr, SearchFilter::Kind::kOr, &FilterParser::Term); }
  size_t Term() { return Chain(kTokAnd, SearchFilter::Kind::kAnd, &FilterParser::Factor); }

  // Operands read by `operand` and joined by `joiner`: one node of `kind` over them all, or the
  // single operand when there is no joiner.
  size_t Chain(int32_t joiner, SearchFilter::Kind kind, size_t (FilterParser::*operand)()) {
    size_t first = (this->*operand)();
    if (Peek() != joiner) return first;
    SearchFilter::Node node{kind, {first}, {}, {}};
    while (Peek() == joiner) {
      Take();
      node.children.push_back((this->*operand)());
    }
    return Add(std::move(node));
  }

  size_t Factor() {
    const FilterToken& token = Take();
    switch (token.token) {
      case kTokNot: {
        size_t inner = Factor();
        return Add({SearchFilter::Kind::kNot, {inner}, {}, {}});
      }
      case kTokLParen: {
        size_t inner = Expression();
        if (Take().token != kTokRParen) throw std::string("missing closing parenthesis");
        return inner;
      }
      case kTokBaseClass:
        return Add({SearchFilter::Kind::kBaseClass, {}, names_.ClassKey(NameValue(Take())), {}});
      case kTokPresent:
        return Add({SearchFilter::Kind::kPresent, {}, names_.AttributeKey(NameValue(Take())), {}});
      case kTokAttrName: {
        std::string attribute = names_.AttributeKey(NameValue(token));
        const FilterToken& op = Take();
        SearchFilter::Kind kind;
        if (op.token == kTokEqual || op.token == kTokApprox)
          kind = SearchFilter::Kind::kEqual;
        else if (op.token == kTokGreaterEqual)
          kind = SearchFilter::Kind::kGreaterEqual;
        else if (op.token == kTokLessEqual)
          kind = SearchFilter::Kind::kLessEqual;
        else
          throw std::string("a comparison was expected after an attribute name");
        const FilterToken& value = Take();
        if (value.token != kTokValue || !value.value) {
          throw std::string("a value was expected after a comparison");
        }
        return Add({kind, {}, attribute, *value.value});
      }
      default:
        throw std::string("unexpected token " + std::to_string(token.token));
    }
  }

  const std::vector<FilterToken>& tokens_;
  const SchemaNames& names_;
  SearchFilter& filter_;
  size_t at_ = 0;
};

std::optional<SearchFilter> SearchFilter::Build(const std::vector<FilterToken>& tokens,
                                                const SchemaNames& names, std::string* error) {
  SearchFilter filter;
  if (!FilterParser(tokens, names, filter).Run(error)) return std::nullopt;
  return filter;
}

SearchFilter::TreeMatch::TreeMatch(const SearchFilter& filter, const MemoryTree& tree)
    : filter_(filter), tree_(tree) {
  for (const Node& node : filter.nodes_) {
    const bool isClass = node.kind == Kind::kBaseClass;
    names_.push_back(isClass ? tree.ClassId(node.attribute) : tree.AttributeId(node.attribute));
    syntaxes_.push_back(isClass ? SYN_CLASS_NAME : tree.names().SyntaxOf(node.attribute));
  }
}

bool SearchFilter::TreeMatch::operator()(const TreeEntry& entry) const {
  return filter_.Evaluate(filter_.root_, entry, *this);
}

std::optional<std::string> SearchFilter::RequiredClass() const {
  const Node& root = nodes_[root_];
  if (root.kind == Kind::kBaseClass) return root.attribute;
  if (root.kind == Kind::kAnd) {
    for (size_t child : root.children) {
      if (nodes_[child].kind == Kind::kBaseClass) return nodes_[child].attribute;
    }
  }
  return std::nullopt;
}

bool SearchFilter::Evaluate(size_t index, const TreeEntry& entry, const TreeMatch& match) const {
  const Node& node = nodes_[index];
  switch (node.kind) {
    case Kind::kAnd:
      for (size_t child : node.children) {
        if (!Evaluate(child, entry, match)) return false;
      }
      return true;
    case Kind::kOr:
      for (size_t child : node.children) {
        if (Evaluate(child, entry, match)) return true;
      }
      return false;
    case Kind::kNot:
      return !Evaluate(node.children.front(), entry, match);
    case Kind::kBaseClass:
      return entry.baseClass == match.names_[index];
    case Kind::kPresent:
      return match.tree_.FindAttribute(entry, match.names_[index]) != nullptr;
    default:
      break;
  }
  const TreeAttribute* attribute = match.tree_.FindAttribute(entry, match.names_[index]);
  if (!attribute) return false;
  const int32_t syntax = match.syntaxes_[index];
  std::string converted;
  for (const TreeValue& raw : match.tree_.ValuesOf(*attribute)) {
    if (syntax == SYN_DIST_NAME) converted = ComparedText(raw.text());
    const std::string_view value = syntax == SYN_DIST_NAME ? converted : raw.text();
    if (node.kind == Kind::kEqual && WildcardMatch(node.value, value, syntax != SYN_CE_STRING)) {
      return true;
    }
    if (node.kind == Kind::kGreaterEqual && Compare(value, node.value) >= 0) return true;
    if (node.kind == Kind::kLessEqual && Compare(value, node.value) <= 0) return true;
  }
  return false;
}

}  // namespace vorlix::directory
