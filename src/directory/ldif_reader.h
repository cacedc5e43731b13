#pragma once
// Reader of LDIF content files (RFC 2849): "version: 1", comments, folded lines, base64 values
// ("::"). Change records and URL values are refused. Every error names the file and the line.

#include <cstddef>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlix::directory {

class LdifError : public std::runtime_error {
 public:
  LdifError(const std::string& file, size_t line, const std::string& what);
  const std::string& file() const { return file_; }
  size_t line() const { return line_; }  // 0 when the file could not be read at all

 private:
  std::string file_;
  size_t line_;
};

struct LdifEntry {
  std::string dn;
  size_t line = 0;                                              // line of the "dn:" line
  std::vector<std::pair<std::string, std::string>> attributes;  // in file order; options dropped
  std::vector<size_t> lines;  // line of each attribute, where its "name:" line starts
};

// One attribute line of a record as it is scanned. The views point into the scanned text where
// the line is written plainly, else (a folded line, a base64 value) into the scanner's own
// space, which holds them until the next record.
struct LdifLine {
  std::string_view name;  // options dropped
  std::string_view value;
  size_t line = 0;  // where its "name:" line starts
};

struct LdifRecord {
  std::string_view dn;
  size_t line = 0;  // line of the "dn:" line
  std::span<const LdifLine> attributes;
};

// Scans LDIF text, handing each record over as soon as it is read; fileName only labels errors.
void ScanLdif(std::string_view text, const std::string& fileName,
              const std::function<void(const LdifRecord&)>& onRecord);

// Scans an LDIF file, reading it partSize bytes at a time and holding only the record being read;
// a file that cannot be read is an LdifError with line 0, as ReadLdifText gives it.
inline constexpr size_t kLdifPartSize = 1 << 20;
void ScanLdifFile(const std::string& path, size_t partSize,
                  const std::function<void(const LdifRecord&)>& onRecord);

// The number of line ends in a file, read partSize bytes at a time; errors as ScanLdifFile's.
size_t CountLdifLines(const std::string& path, size_t partSize);

// Parses LDIF text into entries that own their texts.
std::vector<LdifEntry> ParseLdif(std::string_view text, const std::string& fileName);

// Reads a whole regular file; a missing or unreadable file, a folder, a device or a FIFO is an
// LdifError with line 0.
std::string ReadLdifText(const std::string& path);

// Decodes base64 (RFC 4648, padding optional, blanks ignored); false on a bad character.
bool DecodeBase64(std::string_view text, std::string& out);

}  // namespace vorlix::directory
