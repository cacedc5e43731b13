// An entry with 200,000 attribute names loads whole, its names grouped without regard to case.
// How fast (linear in the lines) is measured by bench/directory/directory_bench.cpp.

#include <gtest/gtest.h>

#include <string>

#include "directory/memory_tree.h"

namespace vorlix::directory {
namespace {

TEST(DirectoryWideEntryTest, ManyAttributeNamesOnOneEntryLoadAndGroup) {
  constexpr int kNames = 200000;
  std::string text = "dn: o=x\nobjectClass: organization\no: x\n";
  for (int i = 0; i < kNames; ++i)
    text += "attr" + std::to_string(i) + ": v" + std::to_string(i) + "\n";
  text += "ATTR7: again\nObjectClass: top\n";  // names repeat without regard to case

  const auto tree = MemoryTree::FromText(text, "wide.ldif");
  ASSERT_EQ(tree->entries().size(), 1u);
  const TreeEntry& entry = tree->entries().front();
  const auto attributes = tree->AttributesOf(entry);
  ASSERT_EQ(attributes.size(), static_cast<size_t>(kNames) + 2);
  // The texts and the lines of an attribute's values.
  auto texts = [&](const TreeAttribute& attribute) {
    std::vector<std::string> values;
    for (const TreeValue& value : tree->ValuesOf(attribute)) values.emplace_back(value.text());
    return values;
  };
  auto lines = [&](const TreeAttribute& attribute) {
    std::vector<uint32_t> numbers;
    for (const TreeValue& value : tree->ValuesOf(attribute)) numbers.push_back(value.line);
    return numbers;
  };
  EXPECT_EQ(tree->AttributeKey(attributes[0].name), "objectclass");  // first-seen order
  EXPECT_EQ(texts(attributes[0]), (std::vector<std::string>{"organization", "top"}));
  EXPECT_EQ(lines(attributes[0]), (std::vector<uint32_t>{2, kNames + 5}));
  const TreeAttribute* seventh = tree->FindAttribute(entry, tree->AttributeId("attr7"));
  ASSERT_NE(seventh, nullptr);
  EXPECT_EQ(texts(*seventh), (std::vector<std::string>{"v7", "again"}));
  EXPECT_EQ(tree->ClassKey(entry.baseClass), "organization");
}

}  // namespace
}  // namespace vorlix::directory
