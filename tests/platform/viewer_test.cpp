// Starting a viewer: the desktop's opener gets the file for "open", the spooler for "print",
// and a missing program is no error.

#include "platform/viewer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

namespace vorlix::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadWhenThere(const fs::path& path) {
  // The viewer runs on its own; a busy machine may take long to run it, so the wait is generous
  // (two minutes at most). The script writes its line in one write, so a file that is not empty
  // is complete.
  auto written = [&path] {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return !error && size > 0;
  };
  for (int i = 0; i < 12000 && !written(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

TEST(Viewer, OpenAndPrintHandTheFileToTheirPrograms) {
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("vorlix-viewer-test-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* program : {"xdg-open", "lp"}) {
    std::ofstream script(dir / program);
    script << "#!/bin/sh\necho \"$1\" > \"$0.seen\"\n";  // only shell builtins: PATH is cut
    script.close();
    fs::permissions(dir / program, fs::perms::owner_all);
  }
  const char* path = getenv("PATH");
  const std::string savedPath = path ? path : "";
  setenv("PATH", dir.c_str(), 1);

  StartViewer("open", "/tmp/a file.pdf");
  StartViewer("print", "/tmp/b.xls");
  EXPECT_EQ(ReadWhenThere(dir / "xdg-open.seen"), "/tmp/a file.pdf");
  EXPECT_EQ(ReadWhenThere(dir / "lp.seen"), "/tmp/b.xls");

  fs::remove(dir / "lp");
  StartViewer("print", "/tmp/c.xls");  // no spooler: nothing happens, nothing is raised

  setenv("PATH", savedPath.c_str(), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vorlix::platform
