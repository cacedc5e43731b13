#include "pdf_test_tools.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "../run_command.h"

namespace vorlix::exporter::pdf::testing {

namespace {

// The command's exit code and what it writes to stdout and stderr together.
exporter::testing::CommandResult Run(const std::string& command) {
  return exporter::testing::RunCommand(command + " 2>&1");
}

}  // namespace

TempPdf::TempPdf(const std::string& stem) {
  static int serial = 0;
  path_ =
      (std::filesystem::temp_directory_path() / ("vorlix-pdf-" + std::to_string(::getpid()) + "-" +
                                                 std::to_string(++serial) + "-" + stem + ".pdf"))
          .string();
}

TempPdf::~TempPdf() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string QpdfProblems(const std::string& path) {
  const auto check = Run("qpdf --check '" + path + "'");
  // qpdf exits 2 on errors and 3 on warnings.
  const bool clean = check.exitCode == 0 && check.output.find("WARNING") == std::string::npos;
  return clean ? std::string()
               : "qpdf exit " + std::to_string(check.exitCode) + ": " + check.output;
}

std::string PdfText(const std::string& path) {
  const auto text = Run("pdftotext -layout '" + path + "' -");
  return std::regex_replace(text.output, std::regex("\\s+"), " ");
}

int PdfPageCount(const std::string& path) {
  const auto info = Run("pdfinfo '" + path + "'");
  std::smatch match;
  if (info.exitCode != 0 || !std::regex_search(info.output, match, std::regex("Pages:\\s+(\\d+)")))
    return -1;
  return std::stoi(match[1]);
}

}  // namespace vorlix::exporter::pdf::testing
