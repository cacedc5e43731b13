// Values that a server hands out in parts ("member;range=0-1499"): the options are read, and the
// LDAP client asks for the rest until the part that ends in "*", against a stand-in server that
// answers as Active Directory does above its limit of values per reply.

#include "directory/ranged_values.h"

#include <gtest/gtest.h>

#include "directory/directory_layer.h"
#include "ldap_test_client.h"
#include "platform/plain_text.h"
#include "support/fake_ldap_server.h"

namespace vorlix::directory {
namespace {

using vorlix::testing::FakeLdapServer;
using vorlix::testing::LdapAnswer;
using vorlix::testing::LdapRequest;
using vorlix::testing::ldap_messages::Attributes;

TEST(RangedValuesTest, RangeOptionsAreReadInAnyLetterCaseAndMalformedOnesAreNone) {
  struct Row {
    const char* description;
    std::optional<uint32_t> first;
    std::optional<uint32_t> last;  // meaningful when first is set; none: "*"
  };
  const Row rows[] = {
      {"member;range=0-1499", 0, 1499},
      {"member;Range=1500-*", 1500, std::nullopt},
      {"member;binary;RANGE=7-7", 7, 7},
      {"member", std::nullopt, std::nullopt},
      {"member;lang-en", std::nullopt, std::nullopt},
      {"member;range=", std::nullopt, std::nullopt},
      {"member;range=9-3", std::nullopt, std::nullopt},
      {"member;range=-5", std::nullopt, std::nullopt},
      {"member;range=1-x", std::nullopt, std::nullopt},
      {"member;range=4294967296-*", std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    const std::optional<ValueRange> range = RangeOption(row.description);
    ASSERT_EQ(range.has_value(), row.first.has_value()) << row.description;
    if (!range) continue;
    EXPECT_EQ(range->first, *row.first) << row.description;
    EXPECT_EQ(range->last, row.last) << row.description;
  }
  EXPECT_EQ(RangeRequest("member", 1500), "member;range=1500-*");
}

constexpr char kBase[] = "DC=ranged,DC=test";
constexpr char kGroup[] = "CN=Big,DC=ranged,DC=test";

std::string MemberDn(size_t i) {
  return "CN=m" + std::to_string(10000 + i) + ",DC=ranged,DC=test";
}

// A directory whose group Big has `members` members, handed out `perPart` at a time as
// Active Directory hands them out; `answerPart` may change the attributes of a part's answer.
struct RangedDirectory {
  size_t members = 2000;
  size_t perPart = 1500;
  std::function<void(size_t first, Attributes&)> answerPart = nullptr;

  void operator()(LdapAnswer& answer) const {
    const LdapRequest& search = answer.request();
    if (search.base.empty()) {  // the root DSE
      answer.Entry("", {{"namingContexts", {kBase}}});
    } else if (platform::LowerCase(search.base) == platform::LowerCase(kGroup) &&
               search.scope == 0) {
      size_t first = 0;
      for (const std::string& attribute : search.attributes) {
        if (const std::optional<ValueRange> range = RangeOption(attribute)) first = range->first;
      }
      const size_t end = std::min(members, first + perPart);
      std::vector<std::string> values;
      for (size_t i = first; i < end; ++i) values.push_back(MemberDn(i));
      const std::string last = end == members ? "*" : std::to_string(end - 1);
      Attributes attributes = {{"member;range=" + std::to_string(first) + "-" + last, values}};
      if (answerPart) answerPart(first, attributes);
      answer.Entry(kGroup, attributes);
    }
    answer.Done();
  }
};

// The members of Big as the directory layer reads them, or the error that ended the read.
struct MemberRead {
  NameList names;
  int32_t code = 0;
  std::string message;
};

MemberRead ReadMembers(const RangedDirectory& directory) {
  FakeLdapServer server([&](LdapAnswer& answer) { directory(answer); });
  Opened d(server.Url(kBase));
  MemberRead read;
  if (!d.started) {
    read.message = d.client.StartupFailureReason();
    read.code = -1;
    return read;
  }
  try {
    read.names = ReadAttributeList(d.client, d.context, "Big.ranged.test", "Member", ';');
  } catch (const DirectoryError& e) {
    read.code = e.code();
    read.message = e.what();
  }
  return read;
}

TEST(RangedValuesTest, EveryPartOfARangedAttributeIsReadUntilTheOneThatEndsTheValues) {
  for (const size_t perPart : {1500u, 700u}) {
    RangedDirectory directory;
    directory.perPart = perPart;
    const MemberRead read = ReadMembers(directory);
    ASSERT_EQ(read.code, 0) << read.message;
    ASSERT_EQ(read.names.size(), 2000u) << perPart;
    EXPECT_EQ(read.names.front().text, "m10000.ranged.test");
    EXPECT_EQ(read.names[perPart].text, "m" + std::to_string(10000 + perPart) + ".ranged.test");
    EXPECT_EQ(read.names.back().text, "m11999.ranged.test");
  }
  // A group within the limit comes whole in one part ("member;range=0-*").
  RangedDirectory small;
  small.members = 20;
  EXPECT_EQ(ReadMembers(small).names.size(), 20u);
}

TEST(RangedValuesTest, PartsThatDoNotJoinUpFailTheReadInsteadOfShorteningIt) {
  struct Case {
    const char* what;
    std::function<void(size_t first, Attributes&)> answer;
    const char* said;
  };
  const Case cases[] = {
      {"no values after the first part",
       [](size_t first, Attributes& attributes) {
         if (first > 0) attributes.clear();
       },
       "end after 1500; asked for the values from 1500 on, the server sent none"},
      {"the first part again",
       [](size_t first, Attributes& attributes) {
         if (first > 0) attributes.front().first = "member;range=0-1499";
       },
       "do not join up"},
      {"a part without values that promises more",
       [](size_t first, Attributes& attributes) {
         if (first > 0) attributes.front() = {"member;range=1500-1600", {}};
       },
       "do not join up"},
      {"a first part that does not begin with the first value",
       [](size_t first, Attributes& attributes) {
         if (first == 0) attributes.front().first = "member;range=1-1500";
       },
       "not from the first"},
  };
  for (const Case& c : cases) {
    RangedDirectory directory;
    directory.answerPart = c.answer;
    const MemberRead read = ReadMembers(directory);
    EXPECT_EQ(read.code, kErrRemoteFailure) << c.what << ": " << read.message;
    EXPECT_NE(read.message.find(c.said), std::string::npos) << c.what << ": " << read.message;
    EXPECT_NE(read.message.find("member of CN=Big,DC=ranged,DC=test"), std::string::npos)
        << read.message;
  }
}

}  // namespace
}  // namespace vorlix::directory
