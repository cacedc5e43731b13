#pragma once
// Shared test fixtures: pinned locale facts, member-table-like lists, and a run into memory.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/memory_sources.h"
#include "export/morvat3_ascii.h"
#include "platform/locale_facts.h"

namespace vorlix::exporter::testing {

// Pins the process-wide format settings for the test and restores them afterwards.
class PinnedLocale {
 public:
  explicit PinnedLocale(platform::LocaleFacts facts = Facts())
      : saved_(platform::FormatSettings()) {
    platform::SetFormatSettings(facts);
  }
  ~PinnedLocale() { platform::SetFormatSettings(saved_); }
  static platform::LocaleFacts Facts() {
    platform::LocaleFacts facts;
    facts.shortDateFormat = "yyyy/mm/dd";
    facts.shortTimeFormat = "hh:nn";
    facts.longTimeFormat = "hh:nn:ss";
    facts.dateSeparator = '-';
    facts.decimalSeparator = '.';
    facts.thousandSeparator = ',';
    facts.listSeparator = ',';
    return facts;
  }

 private:
  platform::LocaleFacts saved_;
};

// The member table's five columns as a group lookup lays them out (pixel widths 220, 170,
// 130, 90, 105), headers "User", "Phone" and three empty ones.
inline void AddMemberColumns(TMemoryListView& list,
                             std::vector<std::string> captions = {"User", "Phone", "", "", ""}) {
  const int widths[] = {220, 170, 130, 90, 105};
  for (int i = 0; i < 5; ++i) list.AddColumn(captions[i], widths[i]);
}

// Adds a member row the way the member table builds it: the first-column text and four cells.
inline void AddMemberRow(TMemoryListView& list, const std::string& name, const std::string& cell1,
                         const std::string& cell2 = "", const std::string& cell3 = "",
                         const std::string& cell4 = "") {
  list.AddItem(name, {cell1, cell2, cell3, cell4});
}

// A text exporter over a list with the settings of the window's CSV command.
inline void SetUpCsv(TMorvat3ASCII& exporter, TMemoryListView& list) {
  exporter.ExportSource = esListView;
  exporter.ListView = &list;
  exporter.SetExportType(etCSV);
  exporter.CSVComma = ';';
}

// Runs the exporter into memory and returns the bytes.
inline std::string RunToMemory(TMorvat3& exporter) {
  TMorvatMemoryStream stream;
  exporter.ExportToStream(stream);
  return stream.Data();
}

// Lines of a text split at CR LF (the last, empty piece after the final CR LF dropped).
inline std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace vorlix::exporter::testing
