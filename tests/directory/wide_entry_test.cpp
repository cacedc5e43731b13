// Loading stays linear in the number of attribute lines: an entry with 200,000 attribute names
// loads in about a second. Grouping the lines by a search through the names seen so far took
// minutes here, and the test's time limit (set in CMakeLists.txt) catches that.

#include <gtest/gtest.h>

#include <string>

#include "directory/ldif_reader.h"
#include "directory/memory_tree.h"

namespace vorlix::directory {
namespace {

TEST(DirectoryWideEntryTest, ManyAttributeNamesOnOneEntryLoadAndGroup) {
  constexpr int kNames = 200000;
  std::string text = "dn: o=x\nobjectClass: organization\no: x\n";
  for (int i = 0; i < kNames; ++i)
    text += "attr" + std::to_string(i) + ": v" + std::to_string(i) + "\n";
  text += "ATTR7: again\nObjectClass: top\n";  // names repeat without regard to case

  MemoryTree tree(ParseLdif(text, "wide.ldif"), "wide.ldif");
  ASSERT_EQ(tree.entries().size(), 1u);
  const TreeEntry& entry = tree.entries().front();
  ASSERT_EQ(entry.attributes.size(), static_cast<size_t>(kNames) + 2);
  EXPECT_EQ(entry.attributes[0].key, "objectclass");  // first-seen order
  EXPECT_EQ(entry.attributes[0].values, (std::vector<std::string>{"organization", "top"}));
  EXPECT_EQ(entry.attributes[0].lines, (std::vector<uint32_t>{2, kNames + 5}));
  const TreeAttribute* seventh = entry.Find("attr7");
  ASSERT_NE(seventh, nullptr);
  EXPECT_EQ(seventh->values, (std::vector<std::string>{"v7", "again"}));
  EXPECT_EQ(entry.baseClass, "organization");
}

}  // namespace
}  // namespace vorlix::directory
