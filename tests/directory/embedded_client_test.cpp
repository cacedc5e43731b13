#include "directory/embedded_client.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "directory/directory_layer.h"
#include "directory/value_conversion.h"
#include "directory/value_rendering.h"
#include "sample_tree_fixture.h"

namespace vorlix::directory {
namespace {

using testing::DirectorySampleTree;

struct Token {
  int32_t code;
  std::optional<std::string> value;
  int32_t syntax = 0;
};

class DirectoryEmbeddedSearch : public DirectorySampleTree {
 protected:
  // Short names of the objects a filter matches in the whole tree.
  std::set<std::string> Search(const std::vector<Token>& tokens, const std::string& base = "[root]",
                               int32_t scope = kScopeSubtree) {
    FilterCursor cursor = 0;
    EXPECT_EQ(client.dsFilterNew(cursor), 0);
    for (const Token& t : tokens) {
      EXPECT_EQ(client.dsFilterToken(cursor, t.code, t.value, t.syntax), 0);
    }
    std::set<std::string> names;
    for (const NameEntry& found : SearchObjects(client, context, base, cursor, scope, {})) {
      names.insert(found.text.substr(0, found.text.find('.')));
    }
    return names;
  }
  static Token Name(const std::string& n) { return {kTokAttrName, n, SYN_CI_STRING}; }
  static Token Value(const std::string& v) { return {kTokValue, v, SYN_CI_STRING}; }
  static Token Op(int32_t code) { return {code, std::nullopt}; }
};

TEST_F(DirectoryEmbeddedSearch, FiltersCombineWithAndOrNotAndParentheses) {
  const Token end = Op(kTokEnd);
  EXPECT_EQ(Search({Name("CN"), Op(kTokEqual), Value("sales*"), Op(kTokOr), Name("CN"),
                    Op(kTokEqual), Value("finance"), end}),
            (std::set<std::string>{"Sales", "Sales East", "Sales West", "Finance"}));
  EXPECT_EQ(Search({Op(kTokBaseClass), Name("Group"), Op(kTokAnd), Op(kTokNot), Op(kTokLParen),
                    Name("CN"), Op(kTokEqual), Value("s*"), Op(kTokOr), Name("CN"), Op(kTokEqual),
                    Value("*house"), Op(kTokRParen), end}),
            (std::set<std::string>{"Finance", "drivers", "Empty Projects"}));
  // Presence, ordering and names compared in dotted form.
  EXPECT_EQ(Search({Op(kTokPresent), Name("WM:NAME User"), Op(kTokAnd), Name("WM:NAME User"),
                    Op(kTokEqual), Value("anna\\.berg.*"), end}),
            (std::set<std::string>{"WS-OFF-01", "WS-OFF-05"}));
  EXPECT_EQ(Search({Name("WM:Last Registered Time"), Op(kTokGreaterEqual), Value("20241201090000Z"),
                    end}),
            (std::set<std::string>{"LT-OFF-02"}));
  // Scopes: the base alone, its children, its subtree.
  const std::vector<Token> any = {Op(kTokPresent), Name("objectClass"), end};
  EXPECT_EQ(Search(any, "groups.harbourline", kScopeEntry), (std::set<std::string>{"groups"}));
  EXPECT_EQ(Search(any, "groups.harbourline", kScopeOneLevel).size(), 11u);
  EXPECT_EQ(Search(any, "groups.harbourline", kScopeSubtree).size(), 12u);
  ExpectNothingOpen();
}

TEST_F(DirectoryEmbeddedSearch, MalformedFiltersAndBadHandlesAreRefused) {
  for (const std::vector<Token>& tokens : std::vector<std::vector<Token>>{
           {Name("CN"), Op(kTokEqual), Value("x")},  // no end
           {Name("CN"), Value("x"), Op(kTokEnd)},    // no comparison
           {Op(kTokLParen), Name("CN"), Op(kTokEqual), Value("x"), Op(kTokEnd)},
           {Op(kTokAnd), Op(kTokEnd)}}) {
    FilterCursor cursor = 0;
    ASSERT_EQ(client.dsFilterNew(cursor), 0);
    for (const Token& t : tokens) client.dsFilterToken(cursor, t.code, t.value, t.syntax);
    Buffer buffer = 0;
    ASSERT_EQ(client.dsBufferNew(kBufferSize, buffer), 0);
    ASSERT_EQ(client.dsBufferPrepare(context, kOpFilter, buffer), 0);
    EXPECT_EQ(client.dsBufferAddFilter(context, buffer, cursor, 0), kErrInvalidRequest);
    EXPECT_EQ(client.dsFilterFree(cursor), 0);  // still the caller's
    EXPECT_EQ(client.dsBufferDelete(buffer), 0);
  }
  FilterCursor cursor = 0;
  ASSERT_EQ(client.dsFilterNew(cursor), 0);
  EXPECT_EQ(client.dsFilterToken(cursor, 99, std::nullopt, 0), kErrInvalidRequest);
  client.dsFilterFree(cursor);
  EXPECT_EQ(client.dsFilterToken(cursor, kTokEnd, std::nullopt, 0), kErrBadHandle);
  EXPECT_EQ(client.dsBufferDelete(12345), kErrBadHandle);
  EXPECT_EQ(client.dsEndIteration(context, 12345, kOpRead), kErrBadHandle);
  Buffer buffer = 0;
  EXPECT_EQ(client.dsBufferNew(kBufferSize + 1, buffer), kErrInvalidRequest);
  ASSERT_EQ(client.dsBufferNew(kBufferSize, buffer), 0);
  int32_t count = 0;
  EXPECT_EQ(client.dsAttrCount(context, buffer, count), kErrInvalidRequest);  // never filled
  // A request holds at most its 4096 bytes of names.
  ASSERT_EQ(client.dsBufferPrepare(context, kOpRead, buffer), 0);
  int32_t added = 0, r = 0;
  while ((r = client.dsBufferAddName(context, buffer, std::string(100, 'a'))) == 0) ++added;
  EXPECT_EQ(r, kErrInsufficientBuffer);
  EXPECT_EQ(added, 39);
  client.dsBufferDelete(buffer);
  ExpectNothingOpen();
}

// The message of the DirectoryError that read raises; empty when there is none.
template <typename Read>
std::string ReadError(Read read) {
  try {
    read();
  } catch (const DirectoryError& e) {
    return e.what();
  }
  return "";
}

TEST(DirectoryEmbeddedClientTest, ValuesThatCannotBeDeliveredAreErrorsNamingTheirLine) {
  const std::string path = ::testing::TempDir() + "/faulty-values.ldif";
  std::ofstream(path) << "dn: cn=schema\nattributeTypes: ( 1.2.3.8 NAME 'loginGraceLimit' SYNTAX "
                         "1.2.3.9.8 )\n\n"
                      << "dn: o=x\no: x\ndescription: " << std::string(5000, 'd')
                      << "\ntelephoneNumber: 1\nwMLastRegisteredTime: 20240115083000Z\n"
                      << "wMLastRegisteredTime: 20400101000000Z\nloginGraceLimit: 1\n"
                      << "loginGraceLimit: x\x1b\n";
  EmbeddedClient client(path);
  ASSERT_EQ(client.calStartup(0, 0), 0);
  Context context = OpenDirectoryContext(client, kPlainContext).context;
  EXPECT_EQ(ReadError([&] { ReadAttributeText(client, context, "x", "Description"); }),
            "Netware error -649 (0xFFFFFD77) reading \"Description\" of \"x\": " + path +
                ":6: the value is 5000 bytes long, too long for one 4096-byte reply");
  EXPECT_EQ(ReadAttributeText(client, context, "x", "Telephone Number"), "1");
  EXPECT_EQ(client.LastFailureDetail(), "");  // a read that works clears it
  // The second time is the one beyond 32 bits; the first is not taken instead.
  EXPECT_EQ(
      ReadError([&] { ReadAttributeInteger(client, context, "x", "WM:Last Registered Time", 0); }),
      "Netware error -613 (0xFFFFFD9B) reading \"WM:Last Registered Time\" of \"x\": " + path +
          ":9: \"20400101000000Z\" lies outside the time range of 32 bits (1901-12-13 "
          "20:45:52 to 2038-01-19 03:14:07 UTC)");
  EXPECT_EQ(ReadError([&] { ReadAttributeList(client, context, "x", "Login Grace Limit", ';'); }),
            "Netware error -613 (0xFFFFFD9B) reading \"Login Grace Limit\" of \"x\": " + path +
                ":11: \"x\\x1B\" is not a whole number from -2147483648 to 2147483647");
  EXPECT_EQ(ReadError([&] { ReadAttributeText(client, context, "y", "CN"); }),
            "Netware error -601 (0xFFFFFDA7) reading \"CN\" of \"y\": no such object");
  EXPECT_EQ(client.OpenBuffers(), 0u);
  EXPECT_EQ(client.OpenIterations(), 0u);
}

TEST_F(DirectoryEmbeddedSearch, ValuesAreLocatedAsTheyAreHandedOut) {
  const std::string file = VORLIX_DATA_DIR "/sample-tree.ldif";
  const NameList members =
      ReadAttributeList(client, context, "Sales West.groups.harbourline", "Member", ';');
  ASSERT_EQ(members.size(), 3u);
  const std::string where =
      client.LocateValue(context, "Sales West.groups.harbourline", "Member", members[2].text);
  ASSERT_EQ(where.rfind(file + ":", 0), 0u) << where;
  // The line named holds that member.
  std::ifstream in(file);
  std::string line;
  for (int n = std::stoi(where.substr(file.size() + 1)); n > 0; --n) std::getline(in, line);
  EXPECT_EQ(line, "member: cn=tara,ou=depot,o=harbourline");

  EXPECT_EQ(client.LocateValue(context, "Sales West.groups.harbourline", "Member", "nobody"), "");
  EXPECT_EQ(client.LocateValue(context, "nobody.harbourline", "Member", members[2].text), "");
  EXPECT_EQ(client.LocateValue(12345, "Sales West.groups.harbourline", "Member", members[2].text),
            "");
}

TEST(DirectoryEmbeddedClientTest, NamesMappedSinglyAndNamesWithBackslashesReadBack) {
  EmbeddedClient mapped(VORLIX_DATA_DIR "/sample-tree.ldif", {{"Telephone Number", "mail"}});
  ASSERT_EQ(mapped.calStartup(0, 0), 0);
  Context context = OpenDirectoryContext(mapped, kPlainContext).context;
  EXPECT_EQ(
      ReadAttributeText(mapped, context, "anna\\.berg.office.harbourline", "Telephone Number"),
      "anna.berg@harbourline.example");
  EXPECT_EQ(ReadAttributeText(mapped, context, "Finance.groups.harbourline", "Description"),
            "Accounts and payroll");

  EmbeddedClient awkward(VORLIX_TEST_DATA_DIR "/directory/awkward-names.ldif");
  ASSERT_EQ(awkward.calStartup(0, 0), 0) << awkward.StartupFailureReason();
  context = OpenDirectoryContext(awkward, kPlainContext).context;
  // A member written "CN=Back\5C,OU=PEOPLE,O=NAMES" is shown as its entry spells itself, and
  // that name, ending in a backslash, reads back.
  const NameList user =
      ReadAttributeList(awkward, context, "WS-AWK.people.names", "WM:NAME User", ';');
  ASSERT_EQ(user.size(), 1u);
  EXPECT_EQ(user[0].text, "back\\\\.people.names");
  // It is located as it is handed out, whatever the value writes.
  EXPECT_NE(awkward.LocateValue(context, "WS-AWK.people.names", "WM:NAME User", user[0].text), "");
  EXPECT_EQ(ReadAttributeText(awkward, context, user[0].text, "Telephone Number"), "+31 2");
  EXPECT_EQ(ReadAttributeText(awkward, context, "mid\\slash.people.names", "Telephone Number"),
            "+31 3");
}

// Reads come in runs of one object, so a client may keep what it found last; a read must still
// find what the name it is given names in the tree as now loaded: after another object's value
// named an object, in a context of typed names (where "cn=a.o=b" is read as written first), and
// after the client was stopped and started again on a changed file.
TEST(DirectoryEmbeddedClientTest, EachReadFindsWhatItsNameNamesInTheTreeAsLoaded) {
  const std::string path = ::testing::TempDir() + "/reloaded.ldif";
  const auto write = [&](const std::string& phone) {
    std::ofstream(path) << "dn: o=b\no: b\n\ndn: cn=a,o=b\ncn: a\ntelephoneNumber: " << phone
                        << "\n\ndn: cn=cn\\=a,o=o\\=b\ncn: cn=a\ntelephoneNumber: other\n\n"
                        << "dn: cn=ws,o=b\ncn: ws\nwMNAMEUser: cn=a,o=b\n";
  };
  const auto typedContext = [](EmbeddedClient& client) {
    const Context context = OpenDirectoryContext(client, kPlainContext).context;
    uint32_t flags = 0;
    EXPECT_EQ(client.dsContextGet(context, kKeyFlags, flags), kOk);
    EXPECT_EQ(client.dsContextSet(context, kKeyFlags, flags & ~kFlagTypelessNames), kOk);
    return context;
  };
  write("1");
  EmbeddedClient fresh(path);
  ASSERT_EQ(fresh.calStartup(0, 0), kOk);
  const std::string typedRead =
      ReadAttributeText(fresh, typedContext(fresh), "cn=a.o=b", "Telephone Number");

  EmbeddedClient client(path);
  ASSERT_EQ(client.calStartup(0, 0), kOk);
  Context context = OpenDirectoryContext(client, kPlainContext).context;
  EXPECT_EQ(ReadAttributeText(client, context, "ws.b", "WM:NAME User"), "a.b");
  EXPECT_EQ(ReadAttributeText(client, context, "a.b", "Telephone Number"), "1");
  EXPECT_EQ(ReadAttributeText(client, context, "a.b", "telephoneNumber"), "1");
  EXPECT_EQ(ReadAttributeText(client, context, "cn=a.o=b", "Telephone Number"), "other");
  EXPECT_EQ(ReadAttributeText(client, context, "a.b", "Telephone Number"), "1");

  const Context typed = typedContext(client);
  EXPECT_EQ(ReadAttributeText(client, typed, "cn=ws.o=b", "WM:NAME User"), "cn=a.o=b");
  EXPECT_EQ(ReadAttributeText(client, typed, "cn=a.o=b", "Telephone Number"), typedRead);
  EXPECT_EQ(ReadAttributeText(client, context, "a.b", "Telephone Number"), "1");

  client.calShutdown(0);
  write("2");
  ASSERT_EQ(client.calStartup(0, 0), kOk);
  context = OpenDirectoryContext(client, kPlainContext).context;
  EXPECT_EQ(ReadAttributeText(client, context, "a.b", "Telephone Number"), "2");
  EXPECT_EQ(ReadAttributeText(client, context, "ws.b", "WM:NAME User"), "a.b");
}

TEST(DirectoryEmbeddedClientTest, GeneralizedTimesBecomeSecondsSince1970) {
  EXPECT_EQ(ParseGeneralizedTime("19700101000000Z"), 0);
  EXPECT_EQ(ParseGeneralizedTime("20240115083000Z"), 1705307400);
  EXPECT_EQ(ParseGeneralizedTime("20240115083000.123Z"), 1705307400);
  EXPECT_EQ(ParseGeneralizedTime("202401150830Z"), 1705307400);
  EXPECT_EQ(ParseGeneralizedTime("20240115093000+0100"), 1705307400);
  EXPECT_EQ(ParseGeneralizedTime("20240115033000-05"), 1705307400);
  EXPECT_EQ(ParseGeneralizedTime("19691231235959Z"), -1);
  EXPECT_EQ(ParseGeneralizedTime("1705307400"), 1705307400);
  EXPECT_EQ(ParseGeneralizedTime("20241315083000Z"), std::nullopt);
  // Days the month lacks are refused, not carried into the next month.
  EXPECT_EQ(ParseGeneralizedTime("20240230000000Z"), std::nullopt);
  EXPECT_EQ(ParseGeneralizedTime("20230229000000Z"), std::nullopt);
  EXPECT_EQ(ParseGeneralizedTime("20240431000000Z"), std::nullopt);
  EXPECT_EQ(ParseGeneralizedTime("20240229000000Z"), 1709164800);
  EXPECT_EQ(ParseGeneralizedTime("20000229000000Z"), 951782400);
  EXPECT_EQ(ParseGeneralizedTime("19000229000000Z"), std::nullopt);
  EXPECT_EQ(ParseGeneralizedTime("2024011508Z"), std::nullopt);
  EXPECT_EQ(ParseGeneralizedTime("20240115083000Zjunk"), std::nullopt);
  // Beyond one signed word the value is refused, not wrapped.
  EXPECT_EQ(ConvertValue(SYN_TIME, "20400101000000Z", NameForm::kTypeless), std::nullopt);
  EXPECT_EQ(ConvertValue(SYN_INTEGER, "2147483648", NameForm::kTypeless), std::nullopt);
  EXPECT_EQ(ConvertValue(SYN_BOOLEAN, "maybe", NameForm::kTypeless), std::nullopt);
}

// A value text as the list read hands it out after it travelled through a reply: each part of a
// structured value lands where its syntax keeps it.
std::string ThroughAReply(int32_t syntax, const std::string& text, NameForm names) {
  const std::optional<FetchedValue> value = ConvertValue(syntax, text, names);
  if (!value) return "<refused>";
  const std::string encoded = EncodeValue(syntax, *value);
  FetchedValue back;
  if (!DecodeValue(syntax, encoded, back)) return "<undecodable>";
  if (DecodeValue(syntax, encoded.substr(0, encoded.size() - 1), back)) return "<short accepted>";
  DecodeValue(syntax, encoded, back);
  NameList list;
  RenderForList(syntax, back, '|', list);
  std::string shown;
  for (const NameEntry& entry : list) {
    shown += "[" + entry.text;
    if (const auto* number = std::get_if<int64_t>(&entry.attached)) {
      shown += " #" + std::to_string(*number);
    } else if (const auto* acl = std::get_if<TACL2>(&entry.attached)) {
      shown += " " + acl->protectedAttrName + "/" + acl->subjectName + "/" +
               std::to_string(acl->privileges);
    } else if (const auto* replica = std::get_if<TReplica>(&entry.attached)) {
      for (uint32_t word : replica->words) shown += " " + std::to_string(word);
    } else if (const auto* address = std::get_if<TNetAddress>(&entry.attached)) {
      shown += std::to_string(address->addressType) + ":" + address->address;
    }
    shown += "]";
  }
  return shown;
}

TEST(ValueConversion, EachSyntaxKeepsItsPartsThroughAReply) {
  struct Row {
    int32_t syntax;
    const char* text;
    NameForm names;
    const char* shown;
  };
  const Row rows[] = {
      {SYN_DIST_NAME, "cn=jan,ou=sales,o=acme", NameForm::kTypeless, "[jan.sales.acme]"},
      {SYN_DIST_NAME, "cn=jan,o=acme", NameForm::kTyped, "[cn=jan.o=acme]"},
      {SYN_CI_STRING, "Jan Smith", NameForm::kTypeless, "[Jan Smith]"},
      {SYN_BOOLEAN, "true", NameForm::kTypeless, "[TRUE]"},
      {SYN_INTEGER, " +42 ", NameForm::kTypeless, "[42]"},
      {SYN_INTEGER, "4x", NameForm::kTypeless, "<refused>"},
      {SYN_CI_LIST, "a$$b", NameForm::kTypeless, "[a][][b][ #1]"},
      {SYN_NET_ADDRESS, "1#wxyz", NameForm::kTypeless, "[1:wxyz]"},
      {SYN_NET_ADDRESS, "IP#wxyz", NameForm::kTypeless, "<refused>"},
      {SYN_EMAIL_ADDRESS, "2#jan@acme.example", NameForm::kTypeless, "[2|jan@acme.example]"},
      {SYN_PATH, "3#VOL1#users/jan", NameForm::kTypeless, "[VOL1|users/jan]"},
      {SYN_PATH, "3#VOL1", NameForm::kTypeless, "<refused>"},
      {SYN_REPLICA_POINTER, "srv1#1#2#3#4#5#6", NameForm::kTypeless, "[srv1 0 1 2 3 4 5 6]"},
      {SYN_REPLICA_POINTER, "srv1#1#two", NameForm::kTypeless, "<refused>"},
      {SYN_OBJECT_ACL, "[Entry Rights]#cn=admin,o=acme#4294967295", NameForm::kTypeless,
       "[[Entry Rights] [Entry Rights]/admin.acme/0]"},
      {SYN_OBJECT_ACL, "[All]#cn=admin,o=acme#6", NameForm::kTyped,
       "[[All] [All]/cn=admin.o=acme/6]"},
      {SYN_BACK_LINK, "7#cn=jan,o=acme", NameForm::kTypeless, "[jan.acme #7]"},
      {SYN_TYPED_NAME, "cn=a#b,o=acme#5#60", NameForm::kTypeless, "[a#b.acme|5|60]"},
      {SYN_TYPED_NAME, "cn=a,o=acme#5", NameForm::kTypeless, "<refused>"},
      {SYN_HOLD, "cn=jan,o=acme#-3", NameForm::kTypeless, "[jan.acme #-3]"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ThroughAReply(row.syntax, row.text, row.names), row.shown)
        << "syntax " << row.syntax << ": " << row.text;
  }
}

}  // namespace
}  // namespace vorlix::directory
