#pragma once
// Date and time pictures of the program (date_time.h: "nn" minutes, "/" and ":" for the
// locale's separators, "c", "ddddd", "t" and "tt" for the locale's patterns) rewritten in the
// spreadsheet's number-format syntax, which readers apply to date serial numbers; and the serial
// number of a date-time value.

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

// The spreadsheet's serial number of a date-time value above 1 (day 0 is 30 December 1899).
// The spreadsheet counts a 29 February 1900, so everything before 1 March 1900 (value 61) is
// one day lower there; from then on the two agree.
inline double SpreadsheetSerial(double dateTime) {
  return dateTime >= 61 ? dateTime : dateTime - 1;
}

}  // namespace vorlix::exporter::xls
