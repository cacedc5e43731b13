#pragma once
// String lists with "name=value" lines, and the text helpers the engine shares
// (case-insensitive comparison and keys, line breaks).

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::exporter {

// Case-insensitive equality and three-way comparison under the program's one case rule
// (platform/plain_text.h, whose LowerCase gives the matching key).
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);

// The text with each line break (CR LF, a lone CR, a lone LF) replaced by one blank, and each
// TAB as well when `tabs` is set: how a line-based layout keeps a value on its own line.
std::string LineBreaksToBlanks(std::string_view text, bool tabs);

// An ordered list of lines. Lines of the form "name=value" can be looked up by name:
// names compare case-insensitively and the first matching line counts.
class MorvatStringList {
 public:
  MorvatStringList() = default;
  MorvatStringList(std::initializer_list<std::string> lines) : lines_(lines) {}

  int Count() const { return static_cast<int>(lines_.size()); }
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](int index) const { return lines_.at(index); }
  std::string& operator[](int index) { return lines_.at(index); }
  const std::vector<std::string>& Lines() const { return lines_; }

  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  // Copies the lines of another list.
  void Assign(const MorvatStringList& other) { lines_ = other.lines_; }

  // Index of the first line whose name equals `name` case-insensitively, else -1.
  int IndexOfName(std::string_view name) const;
  // Value of the first line named `name`; nullopt when there is no such line.
  std::optional<std::string> Value(std::string_view name) const;

  // The part of a line before its first "=" (the whole line when it has none) and after it.
  static std::string_view NameOf(std::string_view line);
  static std::string_view ValueOf(std::string_view line);

  bool operator==(const MorvatStringList&) const = default;

 private:
  std::vector<std::string> lines_;
};

}  // namespace vorlix::exporter
