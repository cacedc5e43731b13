// The search path of the configuration file: beside the executable, then the user's and the
// system's configuration folders, so that an installed program can be configured too.

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/core/configuration.h"
#include "platform/system_info.h"

namespace vorlix::core {

namespace {

constexpr char kSystemConfiguration[] = "/etc/vorlix/vorlix.ini";

// The user's configuration folder as the XDG base directory rules give it; empty when there is
// no home folder to fall back on.
std::string UserConfigurationFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config";
  if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
    return std::string(user->pw_dir) + "/.config";
  return {};
}

}  // namespace

std::vector<std::string> ConfigurationSearchPath() {
  std::vector<std::string> path = {platform::ExecutableDirectory() + "/vorlix.ini"};
  if (const std::string folder = UserConfigurationFolder(); !folder.empty())
    path.push_back(folder + "/vorlix/vorlix.ini");
  path.push_back(kSystemConfiguration);
  return path;
}

std::string ConfigurationPath() {
  const std::vector<std::string> path = ConfigurationSearchPath();
  for (const std::string& file : path) {
    std::error_code error;
    if (std::filesystem::exists(file, error) && !std::filesystem::is_directory(file, error))
      return file;
  }
  return path.front();
}

}  // namespace vorlix::core
