// The embedded tree's own answers: which entries lie in a search's scope, and values that the file
// does not hold as written (folded, base64) kept whole after the scanner has moved on.

#include "directory/memory_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "directory/client_codes.h"

namespace vorlix::directory {
namespace {

// The dotted names of the entries in scope of base (nullptr: the whole tree).
std::vector<std::string> InScope(const MemoryTree& tree, const TreeEntry* base, int32_t scope) {
  std::vector<std::string> names;
  for (const TreeEntry& entry : tree.entries()) {
    if (tree.InScope(entry, base, scope)) names.emplace_back(entry.dotted());
  }
  return names;
}

TEST(DirectoryMemoryTreeTest, ScopesFollowNameComponentsNotTheEndsOfTexts) {
  // "bacme" ends in the text "acme" but is no entry below it.
  const auto tree = MemoryTree::FromText(
      "dn: o=acme\no: acme\n\ndn: ou=staff,o=acme\nou: staff\n\n"
      "dn: cn=ann,ou=staff,o=acme\ncn: ann\n\ndn: o=bacme\no: bacme\n\n"
      "dn: cn=bob,o=bacme\ncn: bob\n",
      "t.ldif");
  const TreeEntry* acme = tree->Find("acme");
  ASSERT_NE(acme, nullptr);
  using Names = std::vector<std::string>;
  EXPECT_EQ(InScope(*tree, acme, kScopeEntry), (Names{"acme"}));
  EXPECT_EQ(InScope(*tree, acme, kScopeOneLevel), (Names{"staff.acme"}));
  EXPECT_EQ(InScope(*tree, acme, kScopeSubtree), (Names{"acme", "staff.acme", "ann.staff.acme"}));
  EXPECT_EQ(InScope(*tree, tree->Find("ann.staff.acme"), kScopeOneLevel), Names{});
  // The whole tree: its one level is the entries of one component.
  EXPECT_EQ(InScope(*tree, nullptr, kScopeOneLevel), (Names{"acme", "bacme"}));
  EXPECT_EQ(InScope(*tree, nullptr, kScopeSubtree).size(), 5u);
  EXPECT_EQ(InScope(*tree, nullptr, kScopeEntry), Names{});
}

TEST(DirectoryMemoryTreeTest, FoldedAndEncodedValuesOutliveTheirRecordAndClassesAreShared) {
  std::string text =
      "dn: o=acme\nobjectClass: organization\ndescription: first\n  and folded\n"
      "cn:: amFu\nstreet: plain\n\n";
  // Later records reuse the scanner's space for folded and decoded values.
  for (int i = 0; i < 300; ++i) {
    const std::string n = std::to_string(i);
    text += "dn: cn=u" + n + ",o=acme\nobjectClass: person\ndescription: other " + n +
            "\n  folded\ncn:: eHl6\n\n";
  }
  const auto tree = MemoryTree::FromText(text, "t.ldif");
  const TreeEntry* acme = tree->Find("acme");
  ASSERT_NE(acme, nullptr);
  auto value = [&](const TreeEntry& entry, const char* key) {
    const TreeAttribute* attribute = tree->FindAttribute(entry, tree->AttributeId(key));
    return attribute ? std::string(tree->ValuesOf(*attribute)[0].text()) : std::string("-");
  };
  EXPECT_EQ(value(*acme, "description"), "first and folded");
  EXPECT_EQ(value(*acme, "cn"), "jan");
  EXPECT_EQ(value(*acme, "street"), "plain");
  EXPECT_EQ(value(*acme, "sn"), "-");
  const TreeEntry* last = tree->Find("u299.acme");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(value(*last, "description"), "other 299 folded");
  EXPECT_EQ(value(*last, "cn"), "xyz");

  // One number per class name, however many entries have it.
  EXPECT_EQ(tree->OfClass("person").size(), 300u);
  EXPECT_EQ(last->baseClass, tree->Find("u0.acme")->baseClass);
  EXPECT_EQ(tree->ClassKey(acme->baseClass), "organization");
  EXPECT_TRUE(tree->OfClass("device").empty());
  EXPECT_EQ(tree->AttributeId("telephonenumber"), kNoName);
}

}  // namespace
}  // namespace vorlix::directory
