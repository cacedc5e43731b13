// The configuration loader: the input is a vorlix.ini. Whatever it holds, loading gives a
// configuration and, for every line it could not use, a message naming the file and the line.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/core/configuration.h"
#include "app/core/ini_reader.h"
#include "fuzz_support.h"
#include "platform/plain_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorlix;
  const std::string path = fuzz::ScratchPath("vorlix.ini");
  fuzz::WriteFile(path, data, size);
  const core::Configuration configuration = core::LoadConfiguration(path, "/opt/vorlix");

  // Every message line names the file.
  size_t start = 0;
  while (start < configuration.problem.size()) {
    size_t end = configuration.problem.find('\n', start);
    if (end == std::string::npos) end = configuration.problem.size();
    if (configuration.problem.compare(start, path.size() + 1, path + ":") != 0) {
      fuzz::Fail("a configuration message does not name the file: " +
                 configuration.problem.substr(start, end - start));
    }
    start = end + 1;
  }
  if (configuration.hasDirectory && configuration.directory.source.empty()) {
    fuzz::Fail("a directory was taken without a source");
  }
  if (!configuration.PhoneChainEnabled && !configuration.PhoneAttributes.empty()) {
    fuzz::Fail("phone attributes without the chain");
  }

  // The reader alone: entries and problems lie on lines of the text, in file order.
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t lines = 1;  // lines end in LF, CR LF or CR
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
      ++lines;
  }
  size_t previous = 0;  // headers and entries come in file order, one per line
  const auto inOrder = [&](size_t line) {
    if (line <= previous || line > lines) fuzz::Fail("a header or entry out of file order");
    previous = line;
  };
  bool directorySection = false;
  const auto problems = core::ReadIni(
      text,
      [&](const core::IniHeader& header) {
        inOrder(header.line);
        directorySection = directorySection || platform::EqualNoCase(header.section, "DIRECTORY");
      },
      [&](const core::IniEntry& entry) {
        inOrder(entry.line);
        if (entry.key.empty()) fuzz::Fail("an entry without a key");
      });
  for (const core::IniProblem& problem : problems) {
    if (problem.line == 0 || problem.line > lines) fuzz::Fail("a problem outside the text");
  }
  const directory::DirectorySource source = core::DirectorySourceOf(configuration);
  // A file that names a directory never opens the sample tree in its place.
  if (directorySection && core::OpensSampleTree(source)) {
    fuzz::Fail("a [DIRECTORY] section opens the sample tree");
  }
  if (!configuration.problem.empty() && core::ConfigurationMessage(configuration, source).empty()) {
    fuzz::Fail("a problem that is not told");
  }
  return 0;
}
