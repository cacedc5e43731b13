#include "xlsx_test_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vorlix::exporter::xlsx::test {

std::string ReadersDisagree(const std::filesystem::path& file, const Sheet& cells) {
  const std::filesystem::path expected = file.string() + ".expected.tsv";
  std::string text;
  for (const auto& row : cells) {
    for (size_t c = 0; c < row.size(); ++c) text += (c > 0 ? "\t" : "") + row[c];
    text += "\n";
  }
  WriteText(expected, text);
  const auto result = Readers({"cells", file.string(), expected.string()});
  std::filesystem::remove(expected);
  return result.exitCode == 0 ? ""
                              : result.output + " (exit " + std::to_string(result.exitCode) + ")";
}

std::map<std::string, std::string> Facts(const std::filesystem::path& file,
                                         const std::filesystem::path& xls) {
  std::vector<std::string> args = {"facts", file.string()};
  if (!xls.empty()) args.push_back(xls.string());
  const auto result = Readers(args);
  std::map<std::string, std::string> facts;
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    facts[equals == std::string::npos ? "error" : line.substr(0, equals)] +=
        equals == std::string::npos ? line : line.substr(equals + 1);
  }
  return facts;
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vorlix::exporter::xlsx::test
