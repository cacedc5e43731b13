#include "platform/number_picture.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace vorlix::platform {

namespace {

// Splits a picture into its ";" sections, leaving quoted text alone.
std::vector<std::string> Sections(const std::string& picture) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (char c : picture) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

struct Layout {
  std::string prefix, suffix;  // literal text before the first and after the last placeholder
  int minIntDigits = 0;        // "0"s before the decimal point
  int minDecimals = 0;         // "0"s after the decimal point
  int maxDecimals = 0;         // "0"s and "#"s after the decimal point
  bool grouping = false;
  bool hasPoint = false;
};

void AppendLiteral(const std::string& section, size_t& i, std::string& out) {
  const char c = section[i];
  if (c == '"' || c == '\'') {
    const size_t close = section.find(c, i + 1);
    const size_t end = close == std::string::npos ? section.size() : close;
    out.append(section, i + 1, end - i - 1);
    i = end;
  } else {
    out += c;
  }
}

Layout Analyse(const std::string& section) {
  Layout layout;
  bool inNumber = false, numberDone = false;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    const bool placeholder = c == '0' || c == '#';
    const bool numberChar = placeholder || ((c == ',' || c == '.') && !numberDone);
    if (numberChar && !numberDone) {
      inNumber = inNumber || placeholder || c == '.' || c == ',';
      if (c == '.') {
        layout.hasPoint = true;
      } else if (c == ',') {
        if (!layout.hasPoint) layout.grouping = true;
      } else if (layout.hasPoint) {
        ++layout.maxDecimals;
        if (c == '0') layout.minDecimals = layout.maxDecimals;
      } else if (c == '0') {
        ++layout.minIntDigits;
      } else if (layout.minIntDigits > 0) {
        ++layout.minIntDigits;  // a "#" after a "0" still shows its digit
      }
      continue;
    }
    if (inNumber) numberDone = true;
    AppendLiteral(section, i, numberDone ? layout.suffix : layout.prefix);
  }
  return layout;
}

std::string Group(const std::string& digits, char separator) {
  std::string out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    out += digits[i];
    const size_t left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += separator;
  }
  return out;
}

std::string Render(const Layout& layout, double magnitude, const LocaleFacts& facts) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.*f", layout.maxDecimals, magnitude);
  std::string fixed = buffer;
  std::string intPart = fixed, fracPart;
  const size_t point = fixed.find('.');
  if (point != std::string::npos) {
    intPart = fixed.substr(0, point);
    fracPart = fixed.substr(point + 1);
  }
  // Optional decimals drop their trailing zeros down to the required ones.
  while (static_cast<int>(fracPart.size()) > layout.minDecimals && !fracPart.empty() &&
         fracPart.back() == '0') {
    fracPart.pop_back();
  }
  // Leading zeros of the integer part show only as far as "0" placeholders ask.
  while (!intPart.empty() && intPart.front() == '0') intPart.erase(intPart.begin());
  while (static_cast<int>(intPart.size()) < layout.minIntDigits)
    intPart.insert(intPart.begin(), '0');

  std::string out = layout.grouping ? Group(intPart, facts.thousandSeparator) : intPart;
  if (!fracPart.empty()) {
    out += facts.decimalSeparator;
    out += fracPart;
  }
  return out;
}

}  // namespace

std::string FormatGeneral(double value, const LocaleFacts& facts) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string out = buffer;
  for (char& c : out) {
    if (c == '.') c = facts.decimalSeparator;
  }
  return out;
}

std::string FormatNumber(const std::string& picture, double value, const LocaleFacts& facts) {
  if (picture.empty() || std::isnan(value) || std::isinf(value)) {
    return FormatGeneral(value, facts);
  }
  const auto sections = Sections(picture);
  const Layout positive = Analyse(sections[0]);

  // The zero section applies to values that round to zero under the positive layout.
  const double rounded = std::fabs(value) * std::pow(10.0, positive.maxDecimals);
  const bool isZero = std::llround(rounded) == 0 && rounded < 1e18;
  if (isZero && sections.size() >= 3 && !sections[2].empty()) {
    const Layout zero = Analyse(sections[2]);
    return zero.prefix + Render(zero, 0.0, facts) + zero.suffix;
  }
  if (value < 0 && !isZero) {
    if (sections.size() >= 2 && !sections[1].empty()) {
      const Layout negative = Analyse(sections[1]);
      return negative.prefix + Render(negative, -value, facts) + negative.suffix;
    }
    return "-" + positive.prefix + Render(positive, -value, facts) + positive.suffix;
  }
  return positive.prefix + Render(positive, std::fabs(value), facts) + positive.suffix;
}

namespace {

std::string_view Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return std::string_view(text).substr(begin, end - begin);
}

template <typename Int>
std::optional<Int> ParseInteger(const std::string& text) {
  std::string_view s = Trimmed(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  Int value{};
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int32_t> ParseInt32(const std::string& text) {
  return ParseInteger<int32_t>(text);
}
std::optional<int64_t> ParseInt64(const std::string& text) {
  return ParseInteger<int64_t>(text);
}

std::optional<double> ParseFloat(const std::string& text, const LocaleFacts& facts) {
  const std::string_view s = Trimmed(text);
  std::string plain;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      plain += c;
      digits = true;
    } else if (c == facts.decimalSeparator && !point) {
      plain += '.';
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    bool expDigits = false;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
      plain += s[i];
      expDigits = true;
    }
    if (!expDigits) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  const char* begin = plain.data() + (plain[0] == '+' ? 1 : 0);
  double value = 0;
  const auto [end, error] = std::from_chars(begin, plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  return value;
}

}  // namespace vorlix::platform
