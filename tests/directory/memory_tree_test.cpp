// The embedded tree's own answers: which entries lie in a search's scope, and values that the file
// does not hold as written (folded, base64) kept whole after the scanner has moved on.

#include "directory/memory_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
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

TEST(DirectoryMemoryTreeTest, ATreeFileReadInPartsKeepsEveryValueWithItsLine) {
  // Values of every length class (empty, one byte, past 127 and 16,383 bytes) on lines past 127,
  // folded and encoded ones among them, the values of one name on lines apart.
  const std::string longValue(20000, 'x');
  std::string text = "version: 1\n\ndn: o=acme\nobjectClass: organization\n";
  for (int i = 0; i < 150; ++i) text += "seeAlso: cn=s" + std::to_string(i) + ",o=acme\n";
  text += "description: " + longValue +
          "\nobjectClass: top\nstreet:\ncn:: amFu\n"
          "postalAddress: " +
          std::string(200, 'p') + "\n  folded\nl: " + "a\n\n" +
          "dn: cn=next,o=acme\r\ncn: next\r\n";
  const std::string path = ::testing::TempDir() + "/parts.ldif";
  std::ofstream(path, std::ios::binary) << text;

  for (const size_t part : {size_t{1}, size_t{7}, size_t{4096}, kLdifPartSize}) {
    SCOPED_TRACE(part);
    const auto tree = MemoryTree::FromFile(path, {}, part);
    const TreeEntry* acme = tree->Find("acme");
    ASSERT_NE(acme, nullptr);
    // "text@line" of each value of an attribute.
    auto values = [&](const TreeEntry& entry, const char* key) {
      std::vector<std::string> found;
      const TreeAttribute* attribute = tree->FindAttribute(entry, tree->AttributeId(key));
      if (!attribute) return found;
      for (const TreeValue& value : tree->ValuesOf(*attribute)) {
        found.push_back(std::string(value.text()) + "@" + std::to_string(value.line));
      }
      return found;
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(values(*acme, "objectclass"), (Texts{"organization@4", "top@156"}));
    EXPECT_EQ(values(*acme, "description"), Texts{longValue + "@155"});
    EXPECT_EQ(values(*acme, "street"), Texts{"@157"});
    EXPECT_EQ(values(*acme, "cn"), Texts{"jan@158"});
    EXPECT_EQ(values(*acme, "postaladdress"), Texts{std::string(200, 'p') + " folded@159"});
    EXPECT_EQ(values(*acme, "l"), Texts{"a@161"});
    const Texts seeAlso = values(*acme, "seealso");
    ASSERT_EQ(seeAlso.size(), 150u);
    EXPECT_EQ(seeAlso[149], "cn=s149,o=acme@154");
    EXPECT_EQ(tree->ValuesOf(*tree->FindAttribute(*acme, tree->AttributeId("seealso")))[149].line,
              154u);
    const TreeEntry* next = tree->Find("next.acme");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->line, 163u);
    EXPECT_EQ(values(*next, "cn"), Texts{"next@164"});
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vorlix::directory
