#pragma once
// Helpers of the .xlsx tests: the independent readers (xlsx_readers.py), a list that makes its
// cells when they are read, and small file helpers.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../run_command.h"
#include "export/morvat_sources.h"

namespace vorlix::exporter::xlsx::test {

using Sheet = std::vector<std::vector<std::string>>;

inline std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs xlsx_readers.py with the arguments (each quoted); stderr joins stdout.
inline exporter::testing::CommandResult Readers(const std::vector<std::string>& args) {
  std::string command =
      "/usr/bin/python3 " + Quoted(VORLIX_SOURCE_DIR "/tests/export/xlsx/xlsx_readers.py");
  for (const std::string& arg : args) command += " " + Quoted(arg);
  return exporter::testing::RunCommand(command + " 2>&1");
}

// openpyxl's and ssconvert's complaint about the first sheet's cells; empty when both read
// exactly `cells`.
std::string ReadersDisagree(const std::filesystem::path& file, const Sheet& cells);

// The key=value lines of "xlsx_readers.py facts FILE [XLS]".
std::map<std::string, std::string> Facts(const std::filesystem::path& file,
                                         const std::filesystem::path& xls = {});

std::string ReadText(const std::filesystem::path& file);
void WriteText(const std::filesystem::path& file, const std::string& text);
// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

// A list of `rows` items whose five cells are made when they are read, so that a huge list
// costs no memory.
class GeneratedList : public IMorvatListView {
 public:
  explicit GeneratedList(int rows) : rows_(rows) {}
  int ColumnCount() const override { return 5; }
  std::string ColumnCaption(int c) const override { return "C" + std::to_string(c); }
  int ColumnWidth(int) const override { return 80; }
  int ItemCount() const override { return rows_; }
  std::string ItemCaption(int i) const override { return "row" + std::to_string(i); }
  std::string SubItem(int i, int k) const override { return std::to_string(i * 10 + k); }
  int SelectedIndex() const override { return selected_; }
  void SelectItem(int item) override { selected_ = item; }
  void BeginUpdate() override {}
  void EndUpdate() override {}

 private:
  int rows_;
  int selected_ = -1;
};

}  // namespace vorlix::exporter::xlsx::test
