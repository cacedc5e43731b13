// Where the configuration file is looked for: beside the executable, then the user's
// configuration folder, then /etc/vorlix.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/core/configuration.h"
#include "platform/system_info.h"

namespace vorlix::core {
namespace {

// Sets an environment variable for the life of the object, then restores it.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ConfigurationPath, BesideTheExecutableThenTheUsersFolderThenEtc) {
  const std::string beside = platform::ExecutableDirectory() + "/vorlix.ini";
  {
    ScopedVariable xdg("XDG_CONFIG_HOME", "/srv/config");
    EXPECT_EQ(ConfigurationSearchPath(),
              (std::vector<std::string>{beside, "/srv/config/vorlix/vorlix.ini",
                                        "/etc/vorlix/vorlix.ini"}));
  }
  // Unset, empty or relative: the folder below the home folder.
  ScopedVariable home("HOME", "/home/ann");
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    ScopedVariable xdg("XDG_CONFIG_HOME", value);
    EXPECT_EQ(ConfigurationSearchPath()[1], "/home/ann/.config/vorlix/vorlix.ini")
        << (value != nullptr ? value : "(unset)");
  }
}

TEST(ConfigurationPath, TheFirstFileThatExistsIsRead) {
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) / ("config-path-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "vorlix");
  ScopedVariable xdg("XDG_CONFIG_HOME", folder.c_str());
  const std::string beside = platform::ExecutableDirectory() + "/vorlix.ini";
  ASSERT_FALSE(std::filesystem::exists(beside)) << "a test build keeps no vorlix.ini";
  const std::string user = (folder / "vorlix" / "vorlix.ini").string();

  // None of them (a folder of that name is no file): the file beside the executable, which
  // reads as the defaults.
  std::filesystem::create_directories(user);
  if (!std::filesystem::exists("/etc/vorlix/vorlix.ini")) {
    EXPECT_EQ(ConfigurationPath(), beside);
  }
  std::filesystem::remove(user);

  std::ofstream(user) << "[SYSTEM]\nphone=1\n[PHONE]\n1=Telephone Number\n";
  EXPECT_EQ(ConfigurationPath(), user);
  EXPECT_TRUE(LoadConfiguration(ConfigurationPath()).PhoneChainEnabled);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vorlix::core
