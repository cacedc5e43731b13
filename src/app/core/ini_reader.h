#pragma once
// Reads ini-style text the way a Windows profile reader takes it, line by line: "[section]"
// headers, "key=value" entries (key and value trimmed), comment lines beginning with ";" or "#",
// blank lines. Lines may be of any length and end in LF, CR LF or CR; a UTF-8 byte-order mark is
// skipped. A value loses a comment that follows it after a blank (" ; note").
//
// A line that cannot be read is skipped with a problem naming its line, and reading goes on with
// the next one: a line that is neither a header nor an entry, an entry without a key, an entry
// before the first header, a line holding a NUL byte. A header without its closing "]" is a
// problem too, and the entries under it, up to the next header, are skipped rather than taken
// into the section before it. UTF-16 text is not read at all: one problem on line 1.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::core {

struct IniEntry {
  std::string section;  // as written between the brackets, trimmed
  std::string key;
  std::string value;
  size_t line = 0;
};

struct IniHeader {
  std::string section;  // as written between the brackets, trimmed
  size_t line = 0;
  // false for a header without its closing "]": the entries under it are skipped, but the
  // section it was meant to open is known.
  bool readable = true;
};

struct IniProblem {
  size_t line = 0;
  std::string what;
};

// Calls onHeader for every section header with a name (also one without its "]") and onEntry for
// every readable entry, in file order; returns the problems in file order.
std::vector<IniProblem> ReadIni(std::string_view text,
                                const std::function<void(const IniHeader&)>& onHeader,
                                const std::function<void(const IniEntry&)>& onEntry);

// Whether the text is UTF-16, which ReadIni does not read.
bool IsUtf16Text(std::string_view text);

}  // namespace vorlix::core
