// The password file of vorlix-cli: the input is the file. Whatever it holds, its first line comes
// back without its line end, an empty first line is told, a file beyond the size limit is refused
// whole, and a pipe with the same bytes reads as the file does. Folders and devices are named.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "cli/password_source.h"
#include "fuzz_support.h"

namespace {

using namespace vorlix;

std::optional<std::string> Read(const std::string& file, std::string& problem) {
  cli::PasswordSources sources;
  sources.passwordFile = file;
  directory::DirectorySource source;
  source.source = "ldap://dir.example/o=acme";
  source.bindDn = "cn=admin,o=acme";
  problem.clear();
  return cli::ReadPassword(sources, source, problem);
}

void ExpectRefused(const std::string& file, const std::string& reason) {
  std::string problem;
  if (Read(file, problem) || problem != "cannot read the password file \"" + file + "\": " + reason)
    fuzz::Fail(file + " is not refused as it should be: " + problem);
}

// The pipe's capacity: a writer of more would wait for the reader.
constexpr size_t kPipedBytes = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool named = [] {
    ExpectRefused("/dev/zero", "cannot open the file: it is a character device, not a file");
    ExpectRefused("/", "cannot open the file: it is a folder");
    return true;
  }();
  (void)named;

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzz::ScratchPath("password");
  fuzz::WriteFile(path, data, size);
  std::string problem;
  const std::optional<std::string> password = Read(path, problem);

  if (size > cli::kMaxPasswordFileBytes) {
    if (password || problem.find("it is larger than 64 KB") == std::string::npos)
      fuzz::Fail("a file beyond the limit was read: " + problem);
    return 0;
  }
  // The first line without its end, LF or CR LF.
  std::string line = bytes.substr(0, bytes.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) {
    if (password || problem.find("holds no password on its first line") == std::string::npos)
      fuzz::Fail("an empty first line was not told: " + problem);
  } else if (password != line) {
    fuzz::Fail("the first line did not come back whole: " + problem);
  }

  if (size <= kPipedBytes) {
    int ends[2];
    if (::pipe(ends) != 0) return 0;
    const bool written = ::write(ends[1], data, size) == static_cast<ssize_t>(size);
    ::close(ends[1]);
    std::string pipedProblem;
    const std::optional<std::string> piped =
        Read("/dev/fd/" + std::to_string(ends[0]), pipedProblem);
    ::close(ends[0]);
    if (written && piped != password) fuzz::Fail("a pipe reads other than the file");
  }
  return 0;
}
