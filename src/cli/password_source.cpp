#include "cli/password_source.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "platform/regular_file.h"

namespace vorlix::cli {

namespace {

// Drops the line end ("\n" or "\r\n") of a line.
std::string WithoutLineEnd(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Turns the terminal's echo off for as long as it lives.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    active_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (active_) tcsetattr(fd_, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

}  // namespace

std::optional<std::string> PromptWithoutEcho(const std::string& prompt) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  std::cerr << prompt << std::flush;
  std::string line;
  bool read = false;
  {
    EchoOff quiet(STDIN_FILENO);
    read = static_cast<bool>(std::getline(std::cin, line));
  }
  std::cerr << '\n';
  if (!read) return std::nullopt;
  return WithoutLineEnd(line);
}

PasswordSources ProcessPasswordSources(const std::string& passwordFile) {
  PasswordSources sources;
  sources.passwordFile = passwordFile;
  sources.environment = []() -> std::optional<std::string> {
    const char* value = std::getenv(kPasswordVariable);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
  sources.prompt = PromptWithoutEcho;
  return sources;
}

std::optional<std::string> ReadPassword(const PasswordSources& sources,
                                        const directory::DirectorySource& source,
                                        std::string& problem) {
  const std::string& bindDn = source.bindDn;
  const std::string prompt = directory::PasswordPrompt(source);
  if (!sources.passwordFile.empty()) {
    // A pipe is read too: --password-file <(...) hands the password over without a file.
    const platform::RegularFileText file = platform::ReadSmallFile(
        sources.passwordFile, kMaxPasswordFileBytes, platform::Pipes::kRead);
    if (file.status != platform::RegularFileText::kRead) {
      problem = "cannot read the password file \"" + sources.passwordFile + "\": " + file.reason;
      return std::nullopt;
    }
    const std::string line = WithoutLineEnd(file.text.substr(0, file.text.find('\n')));
    if (line.empty()) {
      problem =
          "the password file \"" + sources.passwordFile + "\" holds no password on its first line";
      return std::nullopt;
    }
    return line;
  }
  if (sources.environment) {
    if (auto value = sources.environment()) {
      if (!value->empty()) return value;
      problem = std::string(kPasswordVariable) + " is set but empty";
      return std::nullopt;
    }
  }
  if (sources.prompt) {
    if (auto typed = sources.prompt(prompt + " ")) return typed;
  }
  problem = "binding as " + bindDn + " needs a password: set " + kPasswordVariable +
            ", give --password-file FILE, or run vorlix-cli on a terminal to be asked";
  return std::nullopt;
}

bool SupplyPassword(directory::DirectorySource& source, const PasswordSources& sources,
                    const MessagePrinter& messages) {
  if (!directory::NeedsPassword(source)) return true;
  std::string problem;
  auto password = ReadPassword(sources, source, problem);
  if (!password) {
    messages.Error(problem);
    return false;
  }
  source.password = std::move(*password);
  return true;
}

}  // namespace vorlix::cli
