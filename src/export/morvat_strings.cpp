#include "export/morvat_strings.h"

#include "platform/plain_text.h"

namespace vorlix::exporter {

bool SameText(std::string_view a, std::string_view b) {
  return platform::EqualNoCase(a, b);
}

int CompareText(std::string_view a, std::string_view b) {
  return platform::CompareNoCase(a, b);
}

std::string LineBreaksToBlanks(std::string_view text, bool tabs) {
  if (text.find_first_of(tabs ? "\r\n\t" : "\r\n") == std::string_view::npos)
    return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += c == '\r' || c == '\n' || (tabs && c == '\t') ? ' ' : c;
  }
  return out;
}

std::string_view MorvatStringList::NameOf(std::string_view line) {
  size_t eq = line.find('=');
  return eq == std::string_view::npos ? line : line.substr(0, eq);
}

std::string_view MorvatStringList::ValueOf(std::string_view line) {
  size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string_view{} : line.substr(eq + 1);
}

int MorvatStringList::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    size_t eq = line.find('=');
    if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name))
      return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::string> MorvatStringList::Value(std::string_view name) const {
  int i = IndexOfName(name);
  if (i < 0) return std::nullopt;
  return std::string(ValueOf(lines_[i]));
}

}  // namespace vorlix::exporter
