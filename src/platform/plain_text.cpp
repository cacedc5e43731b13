#include "platform/plain_text.h"

namespace vorlix::platform {

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerCase(c);
  return lower;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return static_cast<unsigned char>(LowerCase(c)); };
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    const unsigned char x = lower(a[i]), y = lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

namespace {

// The bytes TrimControls takes off either end: control bytes and blanks.
bool Trimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string TrimControls(std::string_view text) {
  while (!text.empty() && Trimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && Trimmed(text.back())) text.remove_suffix(1);
  return std::string(text);
}

void TrimControlsInPlace(std::string& text) {
  size_t end = text.size();
  while (end > 0 && Trimmed(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && Trimmed(text[begin])) ++begin;
  text.erase(end);
  text.erase(0, begin);
}

}  // namespace vorlix::platform
