// Execute: directory creation, file creation and replacement, the lock, the after-run step.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>

#include "export/morvat3_ascii.h"
#include "export_fixtures.h"
#include "platform/system_info.h"

namespace vorlix::exporter {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;

// Records the shell verbs instead of starting programs.
class RecordingExporter : public TMorvat3ASCII {
 public:
  std::vector<std::string> verbs;

 protected:
  void ShellVerb(const std::string& verb, const std::string& file) override {
    verbs.push_back(verb + " " + file);
  }
};

class ExportFile : public ::testing::Test {
 protected:
  testing::PinnedLocale locale_;
  MemoryListView list_;
  RecordingExporter exporter_;
  fs::path dir_;

  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vorlix-export-file-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    list_.AddColumn("User", 80);
    list_.AddItem("anna.sales.acme");
    testing::SetUpCsv(exporter_, list_);
  }
  void TearDown() override { fs::remove_all(dir_); }
};

TEST_F(ExportFile, CreatesMissingDirectoriesAndReplacesTheFile) {
  fs::path file = dir_ / "a" / "b" / "members.csv";
  exporter_.FileName = file.string();
  exporter_.Execute();
  EXPECT_EQ(ReadFile(file), "\"User\"\r\n\"anna.sales.acme\"\r\n");

  { std::ofstream(file, std::ios::binary) << std::string(1000, 'x'); }
  exporter_.Execute();
  EXPECT_EQ(ReadFile(file), "\"User\"\r\n\"anna.sales.acme\"\r\n");
}

TEST_F(ExportFile, DirectoryThatCannotBeCreated) {
  fs::create_directories(dir_);
  { std::ofstream(dir_ / "plain"); }
  std::string blocked = (dir_ / "plain" / "sub").string();
  exporter_.FileName = blocked + "/members.csv";
  try {
    exporter_.Execute();
    FAIL() << "expected a failure";
  } catch (const EMorvatError& e) {
    EXPECT_EQ(e.Number(), 34025);
    EXPECT_EQ(std::string(e.what()),
              "Directory \"" + blocked + "\" not found and cannot be created");
  }
  EXPECT_EQ(OutputDirectory("members.csv"), platform::ExecutableDirectory());
  EXPECT_EQ(OutputDirectory("/tmp/x.csv"), "/tmp");
}

TEST_F(ExportFile, AFailedRunLeavesTheOldFileAsItWas) {
  fs::create_directories(dir_);
  fs::path file = dir_ / "members.csv";
  { std::ofstream(file) << "old"; }
  exporter_.FileName = file.string();
  // Before the first row: no source.
  exporter_.ListView = nullptr;
  EXPECT_THROW(exporter_.Execute(), EMorvatError);
  EXPECT_EQ(ReadFile(file), "old");
  // In the middle: a row that lacks a cell fails when it is read.
  exporter_.ListView = &list_;
  list_.AddColumn("Phone", 80);
  list_.ItemAt(0).subItems = {"555-0101"};
  list_.AddItem("bob.sales.acme");
  EXPECT_THROW(exporter_.Execute(), std::exception);
  EXPECT_EQ(ReadFile(file), "old");
  // A new file is not made at all.
  exporter_.FileName = (dir_ / "new.csv").string();
  EXPECT_THROW(exporter_.Execute(), std::exception);
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dir_), {}), std::vector<fs::path>{file});
}

TEST_F(ExportFile, AnAbortedRunLeavesTheOldFileAsItWas) {
  fs::create_directories(dir_);
  fs::path file = dir_ / "members.csv";
  list_.AddItem("bob.sales.acme");
  exporter_.FileName = file.string();
  const std::vector<std::pair<std::string, std::function<void()>>> aborts = {
      {"from OnBeginExport",
       [&] { exporter_.OnBeginExport = [](TMorvat3& sender) { sender.Abort(); }; }},
      {"after the first row",
       [&] { exporter_.OnExportedRecord = [](TMorvat3& sender, int) { sender.Abort(); }; }},
  };
  for (const auto& [when, setAbort] : aborts) {
    SCOPED_TRACE(when);
    for (TMorvatASCIIType type : {etCSV, etTXT, etDIF, etSYLK}) {
      { std::ofstream(file) << "old"; }
      exporter_.OnBeginExport = nullptr;
      exporter_.OnExportedRecord = nullptr;
      exporter_.SetExportType(type);
      setAbort();
      exporter_.Execute();
      EXPECT_EQ(ReadFile(file), "old");
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);
    }
  }
  // A stop question answered "go on" makes the run complete again.
  exporter_.OnExportedRecord = [](TMorvat3& sender, int recNo) {
    if (recNo == 0) sender.Abort();
  };
  exporter_.OnStopExport = [](TMorvat3&, bool& canContinue) { canContinue = true; };
  exporter_.SetExportType(etCSV);
  exporter_.Execute();
  EXPECT_NE(ReadFile(file).find("\"bob.sales.acme\""), std::string::npos);
}
TEST_F(ExportFile, FileNameWithoutDirectoryIsRelativeToTheWorkingDirectory) {
  fs::create_directories(dir_);
  fs::path saved = fs::current_path();
  fs::current_path(dir_);
  exporter_.FileName = "relative.csv";
  exporter_.Execute();
  fs::current_path(saved);
  EXPECT_TRUE(fs::exists(dir_ / "relative.csv"));
}

TEST_F(ExportFile, ALockedFileIsNotTouched) {
  fs::create_directories(dir_);
  fs::path file = dir_ / "members.csv";
  { std::ofstream(file) << "kept"; }
  // An flock(2) lock of another open file counts even inside this process.
  const int holder = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  exporter_.FileName = file.string();
  try {
    exporter_.Execute();
    ADD_FAILURE() << "no error";
  } catch (const EMorvatError& e) {
    EXPECT_NE(std::string(e.what()).find("in use by another program"), std::string::npos);
  }
  ::close(holder);
  EXPECT_EQ(ReadFile(file), "kept");
  EXPECT_THROW(MorvatFileStream((dir_ / "no" / "such" / "dir.csv").string()), EMorvatError);
}

TEST_F(ExportFile, LargeOutputPassesTheBufferWhole) {
  fs::create_directories(dir_);
  fs::path file = dir_ / "big.bin";
  std::string expected;
  {
    MorvatFileStream stream(file.string());
    for (int i = 0; i < 3000; ++i) {
      std::string piece(i % 97 + 1, static_cast<char>('a' + i % 26));
      stream.Write(piece);
      expected += piece;
    }
    std::string huge(200000, 'z');
    stream.Write(huge);
    expected += huge;
    EXPECT_EQ(stream.Position(), expected.size());
    stream.Close();
    EXPECT_THROW(stream.Write("late"), EMorvatError);
  }
  EXPECT_EQ(ReadFile(file), expected);
}

TEST_F(ExportFile, ShowAndPrintOnlyAfterACompleteRun) {
  fs::path file = dir_ / "members.csv";
  exporter_.FileName = file.string();
  exporter_.ShowFile = true;
  exporter_.PrintFile = true;
  exporter_.Execute();
  EXPECT_EQ(exporter_.verbs,
            (std::vector<std::string>{"open " + file.string(), "print " + file.string()}));

  exporter_.verbs.clear();
  exporter_.OnExportedRecord = [](TMorvat3& sender, int) { sender.Abort(); };
  exporter_.Execute();
  EXPECT_TRUE(exporter_.verbs.empty());
}

// Calls the real shell step, with a stand-in viewer found on PATH.
class DesktopExporter : public TMorvat3ASCII {
 public:
  using TMorvat3ASCII::ShellVerb;
};

TEST_F(ExportFile, TheViewerOutlivesTheCallAndLeavesNoChildBehind) {
  fs::create_directories(dir_);
  const fs::path marker = dir_ / "opened";
  // The stand-in viewer waits for a line on a FIFO that this test holds open, so it cannot
  // finish before the test lets it, however the machine schedules the two.
  const fs::path release = dir_ / "release";
  ASSERT_EQ(mkfifo(release.c_str(), 0600), 0);
  const int releaseEnd = open(release.c_str(), O_RDWR);
  ASSERT_GE(releaseEnd, 0);
  {
    std::ofstream viewer(dir_ / "xdg-open");
    viewer << "#!/bin/sh\nread line < '" << release.string() << "'\necho \"$1\" > '"
           << marker.string() << "'\n";
  }
  fs::permissions(dir_ / "xdg-open", fs::perms::owner_all);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (dir_.string() + ":" + oldPath).c_str(), 1);

  // On a thread of its own, so that a call that waited for the viewer fails instead of hanging.
  std::future<void> call = std::async(std::launch::async, [] {
    DesktopExporter exporter;
    exporter.ShellVerb("open", "members.csv");
  });
  EXPECT_EQ(call.wait_for(std::chrono::minutes(2)), std::future_status::ready)
      << "the call waits for the viewer";
  EXPECT_FALSE(fs::exists(marker));
  ASSERT_EQ(write(releaseEnd, "go\n", 3), 3);
  call.wait();
  setenv("PATH", oldPath.c_str(), 1);
  close(releaseEnd);

  // No child of ours is left to reap, and the viewer goes on to open the file.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  for (int i = 0; i < 6000 && ReadFile(marker) != "members.csv\n"; ++i) usleep(20000);
  EXPECT_EQ(ReadFile(marker), "members.csv\n");
}

TEST_F(ExportFile, WriterHelpers) {
  MorvatMemoryStream stream;
  TMorvatWriter writer(exporter_, stream);
  writer.Write("a");
  writer.WriteLn("b");
  writer.EmptyLine();
  writer.CharLine('=', 3);
  EXPECT_EQ(stream.Data(), "ab\r\n\r\n===\r\n");
  EXPECT_EQ(writer.AlignName(ecaCenter), "Center alignment");
  EXPECT_EQ(writer.AlignName(7), "Unknown alignment");
  EXPECT_EQ(TMorvatWriter::PadCenter("ab", '.', 7), "..ab...");
  EXPECT_EQ(TMorvatWriter::PadLeft("abc", '.', 2), "abc");
  EXPECT_EQ(TMorvatWriter::PadRight("grüße", '.', 6), "grüße.");
  EXPECT_EQ(TMorvatWriter::PadRight("\xA3"
                                    "5",
                                    '.', 4),
            "\xA3"
            "5..");  // Windows-1252 "£5"
  EXPECT_EQ(TMorvatWriter::PadLeft("\x80\x80\x80", '.', 4), ".\x80\x80\x80");
}

}  // namespace
}  // namespace vorlix::exporter
