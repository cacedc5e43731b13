#pragma once
// Readers of the text formats, written from the formats' definitions and independent of the
// exporter: they read back what the exporter wrote, so that the fuzz target can compare it with
// what went in. Each returns nullopt with a reason when the text breaks its format.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::fuzz {

using Rows = std::vector<std::vector<std::string>>;

// The first rows and the start of each value, for a failure's message.
std::string DescribeRows(const Rows& rows);

// Lines of text ended by CR LF; the last line may lack its end. A CR or LF anywhere else breaks
// the line structure.
std::optional<std::vector<std::string>> ReadCrLfLines(std::string_view text, std::string& error);

// Delimiter-separated values: fields separated by `separator`, records ended by CR LF. A field
// that begins with `quote` runs to the next lone quote, a doubled quote inside standing for one;
// it may hold separators and line ends. Nothing but a separator or the record's end may follow
// the closing quote.
std::optional<Rows> ReadDelimited(std::string_view text, char separator, char quote,
                                  std::string& error);

// DIF: a header of TABLE, VECTORS, TUPLES (each a topic line, a "vector,value" line and a string
// line) up to DATA, then the data: "-1,0" with BOT before every tuple and EOD at the end;
// "1,0" with a string line; "0,number" with an indicator line (V, NA, TRUE, FALSE, ERROR).
// Strings are quoted, with doubled quotes inside.
struct DifTable {
  std::string title;
  int vectors = 0;
  int tuples = 0;
  Rows rows;   // every value as text
  Rows kinds;  // "string" or "number", per value
};
std::optional<DifTable> ReadDif(std::string_view text, std::string& error);

// SYLK: an ID record first and an E record last; C records place a value (K) at column X and
// row Y, both counted from 1 and kept from the record before when left out. ";;" stands for a
// ";" inside a field; a quoted K value is text, an unquoted one a number. Returns the grid, rows
// and columns up to the highest used, cells without a value empty.
std::optional<Rows> ReadSylk(std::string_view text, std::string& error);

// Fixed-width lines: field i takes widths[i] characters (a UTF-8 sequence counts as one) and
// `spacing` blanks follow every field; blanks at the end of a field are its padding and dropped.
std::optional<Rows> ReadFixedWidth(const std::vector<std::string>& lines,
                                   const std::vector<int>& widths, int spacing, std::string& error);

}  // namespace vorlix::fuzz
