#pragma once
// Shared test fixtures: pinned locale facts, the member table, and a run into memory.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/morvat3_ascii.h"
#include "platform/locale_facts.h"
#include "support/member_table.h"
#include "support/memory_sources.h"

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

// A text exporter reading an in-memory list, under pinned locale facts (pinned first: the
// exporter takes its CSV separator from them).
class ListExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exporter_.ExportSource = esListView;
    exporter_.ListView = &list_;
  }
  PinnedLocale locale_;
  MemoryListView list_;
  TMorvat3ASCII exporter_;
};

// A text exporter over a list with the settings of the window's CSV command.
inline void SetUpCsv(TMorvat3ASCII& exporter, MemoryListView& list) {
  exporter.ExportSource = esListView;
  exporter.ListView = &list;
  exporter.SetExportType(etCSV);
  exporter.CSVComma = ';';
}

// Runs the exporter into memory and returns the bytes.
inline std::string RunToMemory(TMorvat3& exporter) {
  MorvatMemoryStream stream;
  exporter.ExportToStream(stream);
  return stream.Data();
}

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
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
