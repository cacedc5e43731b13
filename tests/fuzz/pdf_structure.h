#pragma once
// A check of a written PDF file's structure, from the format's definition: header, objects where
// the cross-reference table says, stream lengths, trailer, and content streams that tokenize
// into operands and known operators (an unescaped parenthesis in a text would break them), with
// no CR left unescaped in a text string.
// Returns an empty text when the file holds, else what is wrong.

#include <string>
#include <string_view>
#include <vector>

namespace vorlix::fuzz {

struct PdfFacts {
  int pages = 0;
  std::vector<std::string> texts;  // operands of the text-showing operators, escapes resolved
};

std::string CheckPdfStructure(std::string_view pdf, PdfFacts& facts);

}  // namespace vorlix::fuzz
