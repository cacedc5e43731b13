// Temporary files: the unnamed scratch file reads back what was written anywhere in it and
// reports a read past its end; the named one exists while held and is gone afterwards.

#include "platform/temporary_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

namespace vorlix::platform {
namespace {

TEST(ScratchFile, ReadsBackWhatWasWrittenAtAnyPositionAndRefusesToReadPastTheEnd) {
  ScratchFile file;
  const std::string block(70000, 'x');
  file.WriteAt(0, block.data(), block.size());
  file.WriteAt(69998, "end!", 4);  // overlaps the end and extends the file
  file.WriteAt(10, "mid", 3);

  std::string back(70002, '\0');
  file.ReadAt(0, back.data(), back.size());
  EXPECT_EQ(back.substr(8, 7), "xxmidxx");
  EXPECT_EQ(back.substr(69996), "xxend!");

  char beyond[8];
  try {
    file.ReadAt(69999, beyond, sizeof beyond);
    FAIL() << "a read past the end succeeded";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code().value(), EIO);
  }
  EXPECT_FALSE(ScratchFile::Folder().empty());
}

TEST(NamedTemporaryFile, IsNamedByPrefixAndSuffixAndGoesWithItsOwner) {
  std::filesystem::path path;
  {
    NamedTemporaryFile first("vorlix-test-", ".xlsx");
    NamedTemporaryFile second("vorlix-test-", ".xlsx");
    path = first.Path();
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(path.extension(), ".xlsx");
    EXPECT_EQ(path.filename().string().rfind("vorlix-test-", 0), 0u);
    EXPECT_NE(first.Path(), second.Path());
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace vorlix::platform
