#include "export/cell_text_limit.h"

#include "export/morvat_messages.h"
#include "platform/text_encoding.h"

namespace vorlix::exporter {

size_t CellCharacterCount(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const int length = platform::DecodeUtf8(text, at, c);
    count += length > 0 && c >= 0x10000 ? 2 : 1;  // beyond the first plane: a surrogate pair
    at += length > 0 ? static_cast<size_t>(length) : 1;
  }
  return count;
}

void CheckCellText(int row, const std::string& column, std::string_view text) {
  if (text.size() <= kMaxCellCharacters) return;  // never more characters than bytes
  const size_t characters = CellCharacterCount(text);
  if (characters <= kMaxCellCharacters) return;
  throw EMorvatError("Row " + std::to_string(row) + ", column \"" + column + "\": the text has " +
                     std::to_string(characters) + " characters, more than the " +
                     std::to_string(kMaxCellCharacters) + " a cell can hold");
}

}  // namespace vorlix::exporter
