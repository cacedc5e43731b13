// A workbook run never destroys the file it replaces: limits are checked before any file is
// opened, aborted and failed runs keep the old file, and write errors name file and reason.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/core/exporter_settings.h"
#include "export/morvat_messages.h"
#include "export/xls/morvat3_xls.h"
#include "support/member_table.h"
#include "support/memory_sources.h"
#include "xls_test_support.h"

namespace vorlix::exporter::xls {
namespace {

using test::ReadersDisagree;
using test::ReadFileBytes;
using test::ReadWorkbookStream;
using test::RunError;
using test::TempDir;

namespace fs = std::filesystem;

// The names in the folder, sorted.
std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class XlsSafeOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    exporter::testing::AddMemberColumns(list_, exporter::testing::kWindowCaptions);
    for (int i = 0; i < 3; ++i)
      exporter::testing::AddMemberRow(list_, "user" + std::to_string(i),
                                      "555-" + std::to_string(i));
    core::ConfigureAsMainWindowXlsExporter(exporter_, &list_);
    exporter_.FileName = (dir_ / "members.xls").string();
    exporter_.Execute();
    good_ = ReadFileBytes(exporter_.FileName);
  }
  // The file still holds the workbook of SetUp, and nothing else is in the folder.
  void ExpectTheGoodFileOnly() {
    EXPECT_EQ(ReadFileBytes(exporter_.FileName), good_);
    EXPECT_EQ(Names(dir_.Path()), std::vector<std::string>{"members.xls"});
  }

  TempDir dir_;
  MemoryListView list_;
  TMorvat3XLS exporter_;
  std::vector<uint8_t> good_;
};

TEST_F(XlsSafeOutput, AbortedRunsKeepTheOldFile) {
  exporter_.OnBeginExport = [](TMorvat3& sender) { sender.Abort(); };
  EXPECT_EQ(RunError(exporter_), "no error");
  ExpectTheGoodFileOnly();
  exporter_.OnBeginExport = nullptr;

  exporter_.OnExportedRecord = [](TMorvat3& sender, int) { sender.Abort(); };
  EXPECT_EQ(RunError(exporter_), "no error");
  ExpectTheGoodFileOnly();

  // Two sheets: an abort ends the first sheet's rows early; the second sheet is complete, but
  // the workbook is not.
  MemoryListView other;
  exporter::testing::AddMemberColumns(other);
  exporter::testing::AddMemberRow(other, "x", "1");
  exporter_.OnExportedRecord = nullptr;
  exporter_.OnAdvancedExportedRecord = [](TMorvat3XLS& sender, int sheet, int) {
    if (sheet == 0) sender.Abort();
  };
  for (MemoryListView* source : {&list_, &other}) {
    TxlsSheet& sheet = exporter_.Sheets.Add();
    sheet.ExportSource = esListView;
    sheet.ListView = source;
  }
  exporter_.Sheets[1].Title = "Other";
  EXPECT_EQ(RunError(exporter_), "no error");
  ExpectTheGoodFileOnly();
}

TEST_F(XlsSafeOutput, TheRowLimitIsCheckedBeforeAnyFileIsOpened) {
  // One record more than fits beside the caption row.
  for (int i = 3; i < kMaxRows; ++i) exporter::testing::AddMemberRow(list_, "u", "");
  // Even a file another program holds is not touched: the limit is found first.
  const int holder = ::open(exporter_.FileName.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(RunError(exporter_),
            "Sheet \"Sheet 1\" needs more than 65536 rows, the most a sheet can hold");
  ::close(holder);
  ExpectTheGoodFileOnly();
  EXPECT_EQ(ReadersDisagree(exporter_.FileName, {{exporter::testing::kWindowCaptions,
                                                  {"user0", "555-0"},
                                                  {"user1", "555-1"},
                                                  {"user2", "555-2"}}}),
            "");

  // Footer lines count too; a handler that may leave rows out defers the check to the rows
  // actually written.
  exporter_.AllowCaptions = false;  // 65,536 records alone fill the sheet
  exporter_.Footer = {"total"};
  EXPECT_NE(RunError(exporter_).find("needs more than 65536 rows"), std::string::npos);
  exporter_.OnBeforeExportRow = [](TMorvat3&, TMorvatRow&, bool& accept) { accept = false; };
  EXPECT_EQ(RunError(exporter_), "no error");
  EXPECT_EQ(ReadersDisagree(exporter_.FileName, {{{"total"}}}), "");
}

TEST_F(XlsSafeOutput, WriteErrorsNameTheFileTheTemporaryFileAndTheReason) {
  // A workbook of some 400 KB, written with the size of files limited.
  for (int i = 3; i < 6000; ++i)
    exporter::testing::AddMemberRow(list_, "member" + std::to_string(i), "+31 20 555 0100");
  exporter_.FileName = (dir_ / "big.xls").string();
  exporter_.Execute();
  const uint64_t stream = ReadWorkbookStream(exporter_.FileName).size();
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  auto limited = [&](rlim_t size) {
    struct rlimit small = saved;
    small.rlim_cur = size;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string error = RunError(exporter_);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    return error;
  };
  // The workbook's data does not fit its unnamed temporary file.
  EXPECT_EQ(limited(100000), "Error writing the temporary workbook data of \"" +
                                 exporter_.FileName + "\" (an unnamed file in " + P_tmpdir +
                                 "): File too large");
  // The data fits, the compound file around it (a few sectors more) does not.
  const std::string error = limited(stream + 512);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(error.rfind("Error writing output file \"" + exporter_.FileName +
                            "\" (temporary file \"" + dir_.Path().string() + "/.big.xls.",
                        0),
            0u)
      << error;
  EXPECT_TRUE(error.ends_with(".tmp\"): File too large")) << error;
  EXPECT_EQ(Names(dir_.Path()), (std::vector<std::string>{"big.xls", "members.xls"}));
  EXPECT_EQ(ReadWorkbookStream(exporter_.FileName).size(), stream);
}

}  // namespace
}  // namespace vorlix::exporter::xls
