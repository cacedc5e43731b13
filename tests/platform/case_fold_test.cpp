// The Unicode case fold: names in every script compare without regard to case, as directory
// servers match them, and bytes that are not UTF-8 survive it.

#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace vorlix::platform {
namespace {

TEST(CaseFold, FoldsEveryScriptAndKeepsBytesThatAreNotUtf8) {
  struct Row {
    std::string text, folded;
  };
  const Row rows[] = {
      {"Staff East", "staff east"},
      {"\xC3\x84rzte", "\xC3\xA4rzte"},    // Ärzte
      {"\xC3\x89quipe", "\xC3\xA9quipe"},  // Équipe
      {"STRASSE Stra\xC3\x9F"
       "e",
       "strasse strasse"},  // ß folds to ss
      {"\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1"},
      {"\xD0\x9C\xD0\x98\xD0\xA0", "\xD0\xBC\xD0\xB8\xD1\x80"},  // МИР
      {"\xE2\x84\xAA", "k"},                                     // the Kelvin sign
      {"A\xFF"
       "B\xC3",
       "a\xFF"
       "b\xC3"},  // not UTF-8: kept
      {"", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FoldCase(row.text), row.folded) << row.text;
    EXPECT_TRUE(EqualFolded(row.text, row.folded)) << row.text;
  }
  EXPECT_FALSE(EqualFolded("\xC3\x84rzte", "arzte"));
  // Folding is no lower-casing of the first letters only: a long run folds alike.
  const std::string many(10000, 'A');
  EXPECT_EQ(FoldCase(many + "\xC3\x84"), std::string(10000, 'a') + "\xC3\xA4");
  std::string appended = "x.";
  AppendFoldCase(appended, "\xC3\x89Q");
  EXPECT_EQ(appended, "x.\xC3\xA9q");
}

}  // namespace
}  // namespace vorlix::platform
