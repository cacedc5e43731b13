#pragma once
// Date and time pictures of the program (date_time.h: "nn" minutes, "/" and ":" for the
// locale's separators, "c", "ddddd", "t" and "tt" for the locale's patterns) rewritten in the
// spreadsheet's number-format syntax, which readers apply to date serial numbers.

#include <string>

#include "platform/locale_facts.h"

namespace vorlix::exporter::xls {

// The spreadsheet format that shows what FormatDateTime(picture) shows: "nn" becomes "mm",
// "/" and ":" become the separators written literally, the locale patterns are expanded, "zzz"
// becomes "000" (thousandths of a second), "am/pm" "AM/PM"; quoted text stays quoted, and
// any other character is shown as it is (escaped where the format would read it as a code).
// An empty picture is "c".
std::string SpreadsheetDateFormat(const std::string& picture,
                                  const platform::LocaleFacts& facts = platform::FormatSettings());

}  // namespace vorlix::exporter::xls
