// The command line of vorlix-cli. The input is used twice:
// - cut at its NUL bytes into words: parsing them either gives a command to run and nothing on
//   either stream, or help on stdout and exit 0, or a message that names the problem followed by
//   the usage on stderr and exit 64;
// - as a recipe for a command line as the manual describes it: the global options (before or
//   after the command word, "--option VALUE" or, for a value that begins with "-",
//   "--option=VALUE") and "find --kind KIND -- TEXT" with TEXT the start of an object's name in
//   any case. Parsing it must give back every option's value, and the command, run on the sample
//   tree, must list that object and only objects whose name starts with TEXT.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/directory_session.h"
#include "cli/cli_context.h"
#include "cli/command_line.h"
#include "directory/directory_layer.h"
#include "directory/directory_source.h"
#include "directory/name_sort.h"
#include "fuzz_support.h"

namespace {

using namespace vorlix;
using fuzz::Fail;

constexpr size_t kMaxWords = 24;
constexpr bool kNoProgressLine = false;

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The leftmost component of a dotted name, "\." read as a dot.
std::string ShortName(const std::string& dotted) {
  std::string name;
  for (size_t i = 0; i < dotted.size(); ++i) {
    if (dotted[i] == '\\' && i + 1 < dotted.size() && dotted[i + 1] == '.') {
      name += '.';
      ++i;
    } else if (dotted[i] == '.') {
      break;
    } else {
      name += dotted[i];
    }
  }
  return name;
}

cli::ParsedCommandLine Parse(const std::vector<std::string>& words, cli::GlobalOptions& options,
                             std::string& out, std::string& err) {
  std::vector<const char*> argv = {"vorlix-cli"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  std::ostringstream outStream, errStream;
  cli::ParsedCommandLine parsed =
      cli::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options, outStream,
                            cli::MessagePrinter(errStream));
  out = outStream.str();
  err = errStream.str();
  return parsed;
}

void CheckRawWords(const uint8_t* data, size_t size) {
  std::vector<std::string> words(1);
  for (size_t i = 0; i < size && words.size() <= kMaxWords; ++i) {
    if (data[i] == 0) {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(data[i]);
    }
  }
  cli::GlobalOptions options;
  std::string out, err;
  const cli::ParsedCommandLine parsed = Parse(words, options, out, err);
  if (parsed.run) {
    if (!out.empty() || !err.empty()) Fail("a command to run comes with output: " + err);
    if (!StartsWith(parsed.usage, "usage: vorlix-cli")) Fail("a command without its usage");
  } else if (parsed.exitCode == cli::kExitDone) {
    if (out.empty() || !err.empty()) Fail("help or version without text on stdout: " + err);
  } else if (parsed.exitCode == cli::kExitUsage) {
    if (!out.empty() || !StartsWith(err, "vorlix-cli: ") ||
        err.find("\nusage: vorlix-cli") == std::string::npos) {
      Fail("a usage error without its problem and usage: " + err);
    }
  } else {
    Fail("parsing ended with exit code " + std::to_string(parsed.exitCode));
  }
}

// The sample tree, opened once, and the names of its objects of each kind.
struct SampleTree {
  SampleTree() {
    source.source = VORLIX_SOURCE_DIR "/data/sample-tree.ldif";
    client = directory::MakeDirectoryClient(source);
    session = std::make_unique<core::DirectorySession>(*client);
    if (session->Start() != core::SessionStart::Open) Fail("the sample tree does not open");
    for (const char* kind : {"group", "workstation"}) {
      const char* cls = std::string(kind) == "group" ? "Group" : "zenWorkstationGroup";
      std::vector<std::string> names;
      for (const directory::NameEntry& name :
           directory::FindObjectsByName(*client, session->Context(), "[root]", cls, "CN", "*")) {
        names.push_back(name.text);
      }
      if (names.empty()) Fail("the sample tree has no objects of a kind");
      objects.push_back(names);
    }
  }
  directory::DirectorySource source;
  std::unique_ptr<directory::DirectoryClient> client;
  std::unique_ptr<core::DirectorySession> session;
  std::vector<std::vector<std::string>> objects;  // groups, workstation groups
};

void CheckRecipe(const uint8_t* data, size_t size) {
  static SampleTree tree;
  size_t at = 0;
  const auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  const auto value = [&] {
    std::string text;
    for (int n = 1 + next() % 16; n > 0; --n) text += static_cast<char>(1 + next() % 255);
    return text;
  };

  const uint8_t shape = next();
  const int kind = shape & 1;
  const std::vector<std::string>& names = tree.objects[static_cast<size_t>(kind)];
  const std::string& object = names[next() % names.size()];
  const std::string shortName = ShortName(object);
  std::string text = shortName.substr(0, next() % (shortName.size() + 1));
  for (char& c : text) {
    if (next() & 1) c = static_cast<char>(Lower(std::string(1, c))[0]);
  }

  cli::GlobalOptions given;
  given.configPath = value();
  given.source = value();
  given.passwordFile = value();
  given.quiet = (shape & 2) != 0;
  std::vector<std::string> before, after;
  const auto add = [&](const std::string& option, const std::string& text) {
    std::vector<std::string>& where = next() & 1 ? after : before;
    if (text[0] == '-' || next() & 1) {
      where.push_back(option + "=" + text);
    } else {
      where.push_back(option);
      where.push_back(text);
    }
  };
  add("--config", given.configPath);
  add("--source", *given.source);
  add("--password-file", given.passwordFile);
  if (given.quiet) (shape & 4 ? after : before).push_back("--quiet");
  std::vector<std::string> words = before;
  for (const char* word : {"find", "--kind"}) words.push_back(word);
  words.push_back(kind == 0 ? "group" : "workstation");
  words.insert(words.end(), after.begin(), after.end());
  words.push_back("--");
  words.push_back(text);

  cli::CliOptions options;
  std::string out, err;
  const cli::ParsedCommandLine parsed = Parse(words, options.global, out, err);
  if (!parsed.run) Fail("a command line as the manual describes it is refused: " + err);
  if (options.global.configPath != given.configPath || options.global.source != given.source ||
      options.global.passwordFile != given.passwordFile || options.global.quiet != given.quiet) {
    Fail("an option's value does not read back");
  }

  std::ostringstream listed, problems;
  cli::ProgressLine progress(2, kNoProgressLine);
  cli::CliContext context{
      options, *tree.client, tree.session->Context(), listed, cli::MessagePrinter(problems),
      progress};
  const int code = parsed.run(context);
  if (code != cli::kExitDone) Fail("find does not list \"" + text + "\": " + problems.str());
  bool found = false;
  std::istringstream lines(listed.str());
  for (std::string line; std::getline(lines, line);) {
    found = found || line == object;
    if (!StartsWith(Lower(ShortName(line)), Lower(text)))
      Fail("find \"" + text + "\" lists " + line);
  }
  if (!found) Fail("find \"" + text + "\" does not list " + object);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckRawWords(data, size);
  CheckRecipe(data, size);
  return 0;
}
