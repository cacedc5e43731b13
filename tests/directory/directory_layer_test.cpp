#include "directory/directory_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "fault_client.h"
#include "sample_tree_fixture.h"

namespace vorlix::directory {
namespace {

using testing::DirectorySampleTree;
using testing::FaultClient;

std::vector<std::string> Texts(const NameList& list) {
  std::vector<std::string> texts;
  for (const NameEntry& e : list) texts.push_back(e.text);
  return texts;
}

TEST(DirectoryErrorTest, MessageShowsSignedDecimalAndHexOfTheCode) {
  EXPECT_STREQ(DirectoryError(-601).what(), "Netware error -601 (0xFFFFFDA7)");
  EXPECT_STREQ(DirectoryError(-603).what(), "Netware error -603 (0xFFFFFDA5)");
  EXPECT_STREQ(DirectoryError(-1).what(), "Netware error -1 (0xFFFFFFFF)");
  EXPECT_STREQ(DirectoryError(INT32_MIN).what(), "Netware error -2147483648 (0x80000000)");
  EXPECT_STREQ(DirectoryError(255).what(), "Netware error 255 (0x000000FF)");
  EXPECT_EQ(DirectoryError(-649).code(), -649);

  // A failed read goes on with what was read and where; the code's text stays first.
  const DirectoryError read(-613, "ws.acme", "WM:Last Registered Time", "t.ldif:4: bad");
  EXPECT_STREQ(read.what(),
               "Netware error -613 (0xFFFFFD9B) reading \"WM:Last Registered Time\" of "
               "\"ws.acme\": t.ldif:4: bad");
  const DirectoryError more = read.Extended("; more");
  EXPECT_EQ(std::string(more.what()), std::string(read.what()) + "; more");
  EXPECT_EQ(more.code(), -613);
  EXPECT_EQ(more.object(), "ws.acme");
  EXPECT_EQ(more.attribute(), "WM:Last Registered Time");
  EXPECT_STREQ(DirectoryError(-601, "x", "CN", "").what(),
               "Netware error -601 (0xFFFFFDA7) reading \"CN\" of \"x\"");
  // What the client said of any other call follows the same way, on the same line.
  EXPECT_STREQ(DirectoryError(-672, "Searching o=t: Insufficient access (50)").what(),
               "Netware error -672 (0xFFFFFD60): Searching o=t: Insufficient access (50)");
  EXPECT_STREQ(DirectoryError(-672).what(), "Netware error -672 (0xFFFFFD60)");

  EXPECT_NO_THROW(CheckDirectoryResult(0));
  try {
    CheckDirectoryResult(-603);  // absence counts only as the result of a read
    FAIL() << "no error raised";
  } catch (const DirectoryError& e) {
    EXPECT_EQ(e.code(), -603);
  }
}

TEST_F(DirectorySampleTree, ContextFlagsAndTreeName) {
  uint32_t flags = 0;
  ASSERT_EQ(client.dsContextGet(context, kKeyFlags, flags), 0);
  EXPECT_EQ(flags & (kFlagTypelessNames | kFlagCanonicalizeNames | kFlagDerefAliases),
            kFlagTypelessNames);
  EXPECT_EQ(ReadTreeName(client, context), "HARBOURLINE_TREE");

  OpenContextResult both =
      OpenDirectoryContext(client, {.canonicalizeNames = true, .derefAliases = true});
  ASSERT_TRUE(both.ok);
  ASSERT_EQ(client.dsContextGet(both.context, kKeyFlags, flags), 0);
  EXPECT_EQ(flags & (kFlagTypelessNames | kFlagCanonicalizeNames | kFlagDerefAliases),
            kFlagTypelessNames | kFlagCanonicalizeNames | kFlagDerefAliases);
  // Without the typeless flag names come typed.
  ASSERT_EQ(client.dsContextSet(both.context, kKeyFlags, 0), 0);
  NameList typed =
      ReadAttributeList(client, both.context, "Sales East.groups.harbourline", "Member", ';');
  ASSERT_FALSE(typed.empty());
  EXPECT_EQ(typed[0].text, "cn=anna\\.berg.ou=office.o=harbourline");
  client.dsCloseContext(both.context);
}

// Reports a chosen flag word and value size, and remembers the flag word written back.
class ScriptedClient : public FaultClient {
 public:
  using FaultClient::dsContextGet;
  using FaultClient::FaultClient;
  int32_t dsContextGet(Context, int32_t key, uint32_t& word) override {
    if (key != kKeyFlags) return kErrInvalidRequest;
    word = initialFlags;
    return 0;
  }
  int32_t dsContextSet(Context context, int32_t key, uint32_t word) override {
    if (key == kKeyFlags) writtenFlags = word;
    return FaultClient::dsContextSet(context, key, word);
  }
  int32_t dsValueSize(Context, Buffer, int32_t, int32_t& size) override {
    size = valueSize;
    return 0;
  }
  uint32_t initialFlags = 0;
  uint32_t writtenFlags = 0;
  int32_t valueSize = 0;
};

TEST(DirectoryOpenContextTest, OptionsDecideTheFlagBits) {
  EmbeddedClient inner(VORLIX_DATA_DIR "/sample-tree.ldif");
  ASSERT_EQ(inner.calStartup(0, 0), 0);
  ScriptedClient client(inner);
  client.initialFlags = 0x95;  // 0x80 | 0x10 | 0x4 | 0x1
  auto flagsAfter = [&](bool canonical, bool deref) {
    OpenContextResult opened =
        OpenDirectoryContext(client, {.canonicalizeNames = canonical, .derefAliases = deref});
    EXPECT_TRUE(opened.ok);
    inner.dsCloseContext(opened.context);
    return client.writtenFlags;
  };
  EXPECT_EQ(flagsAfter(false, false), 0x84u);
  EXPECT_EQ(flagsAfter(true, false), 0x94u);
  EXPECT_EQ(flagsAfter(false, true), 0x85u);
  client.initialFlags = 0;
  EXPECT_EQ(flagsAfter(true, true), 0x14u);  // 0x1 is only kept, never set
}

TEST(DirectoryReadTest, ATextValueAboveTheLimitIsRefused) {
  EmbeddedClient inner(VORLIX_DATA_DIR "/sample-tree.ldif");
  ASSERT_EQ(inner.calStartup(0, 0), 0);
  ScriptedClient client(inner);
  const Context context = OpenDirectoryContext(inner, kPlainContext).context;
  client.valueSize = static_cast<int32_t>(kMaxTextValue);
  EXPECT_EQ(ReadAttributeText(client, context, "Finance.groups.harbourline", "Description"),
            "Accounts and payroll");
  client.valueSize = static_cast<int32_t>(kMaxTextValue) + 1;
  try {
    ReadAttributeText(client, context, "Finance.groups.harbourline", "Description");
    FAIL() << "no error";
  } catch (const DirectoryArgumentError& e) {
    EXPECT_NE(std::string(e.what()).find("60000"), std::string::npos) << e.what();
  }
  EXPECT_EQ(inner.OpenBuffers(), 0u);
}

TEST(DirectoryOpenContextTest, FailuresClearOkButKeepTheHandle) {
  EmbeddedClient inner(VORLIX_DATA_DIR "/sample-tree.ldif");
  ASSERT_EQ(inner.calStartup(0, 0), 0);
  FaultClient client(inner);
  client.FailOn("dsContextSet", 1, -641);
  OpenContextResult opened = OpenDirectoryContext(client, kPlainContext);
  EXPECT_FALSE(opened.ok);
  EXPECT_NE(opened.context, kNoContext);

  EmbeddedClient notStarted(VORLIX_DATA_DIR "/sample-tree.ldif");
  opened = OpenDirectoryContext(notStarted, kPlainContext);
  EXPECT_FALSE(opened.ok);
  EXPECT_EQ(opened.context, kNoContext);
}

TEST_F(DirectorySampleTree, AbsentAttributesGiveEmptyResultsAndMissingObjectsRaise601) {
  EXPECT_EQ(
      ReadAttributeText(client, context, "carla\\.vos.office.harbourline", "Telephone Number"), "");
  EXPECT_TRUE(ReadAttributeList(client, context, "Empty Projects.groups.harbourline", "Member", ';')
                  .empty());
  EXPECT_EQ(ReadAttributeInteger(client, context, "WS-DEP-03.workstations.harbourline",
                                 "WM:Last Registered Time", 17),
            17);
  for (int shape = 0; shape < 3; ++shape) {
    try {
      const std::string missing = "nobody.office.harbourline";
      if (shape == 0) ReadAttributeText(client, context, missing, "CN");
      if (shape == 1) ReadAttributeList(client, context, missing, "CN", ';');
      if (shape == 2) ReadAttributeInteger(client, context, missing, "CN", 0);
      ADD_FAILURE() << "no error for shape " << shape;
    } catch (const DirectoryError& e) {
      EXPECT_EQ(e.code(), -601);
    }
  }

  // -603 in a later part: the list keeps what the earlier parts gave, the text read gives
  // nothing; both end the open iteration.
  const std::string seasonal = "Seasonal Staff.groups.harbourline";
  FaultClient listRead(client), textRead(client);
  listRead.FailOn("dsReadEntry", 2, kErrNoSuchAttribute);
  textRead.FailOn("dsReadEntry", 2, kErrNoSuchAttribute);
  const NameList firstPart = ReadAttributeList(listRead, context, seasonal, "Member", ';');
  ASSERT_FALSE(firstPart.empty());
  EXPECT_LT(firstPart.size(), 150u);
  EXPECT_EQ(firstPart.front().text, "seasonal001.seasonal.harbourline");
  EXPECT_EQ(ReadAttributeText(textRead, context, seasonal, "Member"), "");
  EXPECT_EQ(listRead.Calls("dsEndIteration"), 1);
  EXPECT_EQ(textRead.Calls("dsEndIteration"), 1);
  ExpectNothingOpen();
}

TEST_F(DirectorySampleTree, ReadsTakeNamesInDottedAndTypedSpellingWithEscapedDots) {
  EXPECT_EQ(
      ReadAttributeText(client, context, "mira\\.olsen.office.harbourline", "Telephone Number"),
      "+31 20 555 0113");
  EXPECT_EQ(ReadAttributeText(client, context, "CN=Mira\\.Olsen.OU=Office.O=Harbourline",
                              "Telephone Number"),
            "+31 20 555 0113");
  // Two phone numbers run together; the registered user is a name in dotted form.
  EXPECT_EQ(
      ReadAttributeText(client, context, "daan\\.smit.office.harbourline", "Telephone Number"),
      "+31 20 555 0104+31 6 5550 0104");
  EXPECT_EQ(
      ReadAttributeText(client, context, "WS-OFF-04.workstations.harbourline", "WM:NAME User"),
      "mira\\.olsen.office.harbourline");
  EXPECT_EQ(ReadAttributeInteger(client, context, "WS-OFF-01.workstations.harbourline",
                                 "WM:Last Registered Time", 0),
            1705307400);
}

TEST_F(DirectorySampleTree, LongMemberListsArriveInSeveralPartsInOrder) {
  const size_t before = client.RepliesFilled();
  NameList members =
      ReadAttributeList(client, context, "Seasonal Staff.groups.harbourline", "Member", ';');
  EXPECT_GE(client.RepliesFilled() - before, 2u);
  ASSERT_EQ(members.size(), 150u);
  EXPECT_EQ(members.front().text, "seasonal001.seasonal.harbourline");
  EXPECT_EQ(members[99].text, "seasonal100.seasonal.harbourline");
  EXPECT_EQ(members.back().text, "seasonal150.seasonal.harbourline");
  // The text read of the same attribute runs all 150 values together.
  std::string all =
      ReadAttributeText(client, context, "Seasonal Staff.groups.harbourline", "Member");
  EXPECT_EQ(all.size(), 150u * members.front().text.size());
  ExpectNothingOpen();
}

TEST_F(DirectorySampleTree, ErrorsInLaterPartsEndTheIterationAndFreeBuffers) {
  FaultClient faulty(client);
  faulty.FailOn("dsNextValue", 100, -641);  // inside the second part
  EXPECT_THROW(
      ReadAttributeList(faulty, context, "Seasonal Staff.groups.harbourline", "Member", ';'),
      DirectoryError);
  EXPECT_EQ(faulty.Calls("dsEndIteration"), 1);
  ExpectNothingOpen();

  FaultClient failingSecondBuffer(client);
  failingSecondBuffer.FailOn("dsBufferNew", 2, -649);
  EXPECT_THROW(ReadAttributeText(failingSecondBuffer, context, "Sales.groups.harbourline", "CN"),
               DirectoryError);
  ExpectNothingOpen();
}

TEST_F(DirectorySampleTree, FindSearchesByClassAndPrefixWithoutRegardToCase) {
  auto find = [&](const std::string& cls, const std::string& text) {
    return Texts(FindObjectsByName(client, context, "[root]", cls, "CN", text + "*"));
  };
  std::vector<std::string> sales = find("Group", "sales");
  EXPECT_EQ(std::set<std::string>(sales.begin(), sales.end()),
            (std::set<std::string>{"Sales.groups.harbourline", "Sales East.groups.harbourline",
                                   "Sales West.groups.harbourline"}));
  EXPECT_EQ(find("Group", "").size(), 8u);
  EXPECT_EQ(find("zenWorkstationGroup", "").size(), 3u);
  EXPECT_TRUE(find("Group", "Office").empty());  // workstation groups are another class
  // An empty class builds a filter on the name alone: groups, workstation groups, users.
  EXPECT_EQ(find("", "Office").size(), 2u);
  EXPECT_EQ(find("", "an").size(), 3u);  // an, anna.berg and the location Annex
  // Below a base only.
  EXPECT_EQ(Texts(FindObjectsByName(client, context, "depot.harbourline", "", "CN", "a*")),
            (std::vector<std::string>{"an.depot.harbourline", "ada.depot.harbourline"}));
  ExpectNothingOpen();
}

TEST_F(DirectorySampleTree, SearchResultsInSeveralPartsListAnObjectOnce) {
  // Raw parts with the repeat on: the seam object comes twice.
  client.SetRepeatAcrossParts(true);
  const size_t before = client.RepliesFilled();
  // 150 seasonal users and the group "Seasonal Staff".
  NameList seasonal = FindObjectsByName(client, context, "[root]", "", "CN", "seasonal*");
  EXPECT_GE(client.RepliesFilled() - before, 2u);
  ASSERT_EQ(seasonal.size(), 151u);
  std::set<std::string> unique;
  for (const NameEntry& e : seasonal) unique.insert(e.text);
  EXPECT_EQ(unique.size(), 151u);

  FaultClient counting(client);
  NameList found = [&] {
    FilterCursor cursor = 0;
    EXPECT_EQ(counting.dsFilterNew(cursor), 0);
    counting.dsFilterToken(cursor, kTokAttrName, "CN", SYN_CI_STRING);
    counting.dsFilterToken(cursor, kTokEqual, std::nullopt, 0);
    counting.dsFilterToken(cursor, kTokValue, "seasonal*", SYN_CI_STRING);
    counting.dsFilterToken(cursor, kTokEnd, std::nullopt, 0);
    return SearchObjects(counting, context, "[root]", cursor, kScopeSubtree, {});
  }();
  // The names alone, each once.
  ASSERT_EQ(found.size(), 151u);
  const std::vector<std::string> texts = Texts(found);
  EXPECT_EQ(std::set<std::string>(texts.begin(), texts.end()).size(), 151u);
  EXPECT_TRUE(std::all_of(found.begin(), found.end(), [](const NameEntry& e) {
    return e.text.find('.') != std::string::npos;
  }));
  EXPECT_GT(counting.Calls("dsNextObject"), 151);  // the client did deliver a duplicate
  ExpectNothingOpen();
}

TEST_F(DirectorySampleTree, EverySearchFailureIsRaisedAndReleasesWhatItHeld) {
  // In the first part, a later part, the set-up, the filter: never a short list.
  struct Row {
    const char* operation;
    int callNumber;
  };
  for (const Row& row : {Row{"dsSearchTree", 1}, Row{"dsSearchTree", 2}, Row{"dsObjectCount", 1},
                         Row{"dsBufferPrepare", 2}, Row{"dsFilterToken", 3}}) {
    FaultClient failing(client);
    failing.FailOn(row.operation, row.callNumber, -641);
    try {
      FindObjectsByName(failing, context, "[root]", "", "CN", "seasonal");
      ADD_FAILURE() << "no error from " << row.operation << " #" << row.callNumber;
    } catch (const DirectoryError& e) {
      EXPECT_EQ(e.code(), -641) << row.operation;
    }
    if (std::string(row.operation) == "dsSearchTree" && row.callNumber == 2) {
      EXPECT_EQ(failing.Calls("dsEndIteration"), 1);  // the open iteration was ended
    }
    ExpectNothingOpen();
  }
  // A base that does not exist is no empty subtree.
  try {
    FindObjectsByName(client, context, "nowhere.harbourline", "", "CN", "*");
    ADD_FAILURE() << "no error for a missing base";
  } catch (const DirectoryError& e) {
    EXPECT_EQ(e.code(), kErrNoSuchEntry);
  }
  ExpectNothingOpen();
}

TEST_F(DirectorySampleTree, TextsBeyondTheLimitsAreRefusedNotCut) {
  const std::string longName(kMaxObjectName + 1, 'x');
  EXPECT_THROW(ReadAttributeText(client, context, longName, "CN"), DirectoryArgumentError);
  EXPECT_THROW(ReadAttributeList(client, context, "Sales.groups.harbourline",
                                 std::string(kMaxAttributeName + 1, 'a'), ';'),
               DirectoryArgumentError);
  // The pattern gets one more "*": 255 characters fit, 256 do not.
  EXPECT_NO_THROW(FindObjectsByName(client, context, "[root]", "Group", "CN",
                                    std::string(kMaxFilterValue - 1, 'q')));
  try {
    FindObjectsByName(client, context, "[root]", "Group", "CN", std::string(kMaxFilterValue, 'q'));
    FAIL() << "no error";
  } catch (const DirectoryArgumentError& e) {
    EXPECT_NE(std::string(e.what()).find("256"), std::string::npos) << e.what();
  }
  EXPECT_THROW(
      FindObjectsByName(client, context, std::string(kMaxSearchBase + 1, 'b'), "", "CN", "x"),
      DirectoryArgumentError);
  ExpectNothingOpen();
}

// `count` characters of two UTF-8 bytes each (a, o and u with umlauts in turn).
std::string Umlauts(size_t count) {
  static const char* const kLetters[] = {"\xC3\xA4", "\xC3\xB6", "\xC3\xBC"};
  std::string text;
  for (size_t i = 0; i < count; ++i) text += kLetters[i % 3];
  return text;
}

TEST_F(DirectorySampleTree, TheLimitsCountCharactersNotBytes) {
  // At each limit a text of two-byte characters is asked for (and is simply not there); one
  // character more is refused, and the message counts characters.
  EXPECT_THROW(ReadAttributeText(client, context, Umlauts(kMaxObjectName), "CN"), DirectoryError);
  EXPECT_EQ(
      ReadAttributeText(client, context, "Sales.groups.harbourline", Umlauts(kMaxAttributeName)),
      "");
  EXPECT_TRUE(
      FindObjectsByName(client, context, "[root]", "Group", "CN", Umlauts(kMaxFilterValue - 1))
          .empty());
  EXPECT_THROW(FindObjectsByName(client, context, Umlauts(kMaxSearchBase), Umlauts(kMaxFilterValue),
                                 Umlauts(kMaxFilterValue), "x"),
               DirectoryError);
  // With a three-byte character and a four-byte one.
  EXPECT_NO_THROW(CheckReadNames("\xE2\x82\xAC" + Umlauts(kMaxObjectName - 2) + "\xF0\x9F\x98\x80",
                                 Umlauts(1)));

  const std::pair<std::function<void()>, std::string> refused[] = {
      {[&] { ReadAttributeText(client, context, Umlauts(kMaxObjectName + 1), "CN"); },
       "Object name is 513"},
      {[&] { ReadAttributeText(client, context, "x", Umlauts(kMaxAttributeName + 1)); },
       "Attribute name is 201"},
      {[&] { FindObjectsByName(client, context, "[root]", "", "CN", Umlauts(kMaxFilterValue)); },
       "Name pattern is 257"},
      {[&] { FindObjectsByName(client, context, Umlauts(kMaxSearchBase + 1), "", "CN", "x"); },
       "Search base is 515"},
      {[&] {
         FindObjectsByName(client, context, "[root]", Umlauts(kMaxFilterValue + 1), "CN", "");
       },
       "Class name is 257"},
  };
  for (const auto& [call, message] : refused) {
    try {
      call();
      ADD_FAILURE() << "no error for " << message;
    } catch (const DirectoryArgumentError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message + " characters long; at most ", 0), 0u)
          << e.what();
    }
  }
  ExpectNothingOpen();
}

}  // namespace
}  // namespace vorlix::directory
