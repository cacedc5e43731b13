#include "directory/value_rendering.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "directory/directory_layer.h"
#include "directory/embedded_client.h"
#include "platform/locale_facts.h"

namespace vorlix::directory {
namespace {

// Pins the zone and the date and time patterns for the duration of a test.
class PinnedClock {
 public:
  explicit PinnedClock(const char* zone) : saved_(platform::FormatSettings()) {
    const char* old = std::getenv("TZ");
    hadZone_ = old != nullptr;
    if (old) oldZone_ = old;
    setenv("TZ", zone, 1);
    tzset();
    platform::LocaleFacts facts = saved_;
    facts.shortDateFormat = "yyyy/mm/dd";
    facts.longTimeFormat = "hh:nn:ss";
    facts.dateSeparator = '-';
    facts.timeSeparator = ':';
    platform::SetFormatSettings(facts);
  }
  ~PinnedClock() {
    if (hadZone_)
      setenv("TZ", oldZone_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
    platform::SetFormatSettings(saved_);
  }

 private:
  platform::LocaleFacts saved_;
  bool hadZone_ = false;
  std::string oldZone_;
};

TEST(DirectoryRenderingTest, TimeStampsUseTheOffsetOfTheirOwnDate) {
  PinnedClock clock("Europe/Amsterdam");
  EXPECT_EQ(FormatTimeStamp(0), "1970-01-01 01:00:00");           // bias -60 then
  EXPECT_EQ(FormatTimeStamp(1705307400), "2024-01-15 09:30:00");  // winter: +1
  EXPECT_EQ(FormatTimeStamp(1720793710), "2024-07-12 16:15:10");  // summer: +2
  // Around the change on 2024-03-31 at 01:00 UTC.
  EXPECT_EQ(FormatTimeStamp(1711846799), "2024-03-31 01:59:59");
  EXPECT_EQ(FormatTimeStamp(1711846800), "2024-03-31 03:00:00");
  // And back on 2024-10-27 at 01:00 UTC: the local hour 02 comes twice.
  EXPECT_EQ(FormatTimeStamp(1729990800 - 1), "2024-10-27 02:59:59");
  EXPECT_EQ(FormatTimeStamp(1729990800), "2024-10-27 02:00:00");
}

TEST(DirectoryRenderingTest, TimeStampsInUtcAndWithTheLocaleOrderOfParts) {
  PinnedClock clock("UTC");
  EXPECT_EQ(FormatTimeStamp(0), "1970-01-01 00:00:00");
  EXPECT_EQ(FormatTimeStamp(-86400), "1969-12-31 00:00:00");
  platform::LocaleFacts facts = platform::FormatSettings();
  facts.shortDateFormat = "m/d/yyyy";  // the separator stays "-"
  platform::SetFormatSettings(facts);
  EXPECT_EQ(FormatTimeStamp(1705307400), "1-15-2024 08:30:00");
}

TEST(DirectoryRenderingTest, NetworkAddressesOfEveryType) {
  const std::string ipx("\x01\x02\x03\x04\x0A\x0B\x0C\x0D\x0E\x0F\x04\x51", 12);
  EXPECT_EQ(FormatNetAddress(0, 12, ipx), "01020304 0A0B0C0D0E0F:0451");
  EXPECT_EQ(FormatNetAddress(1, 4, std::string("\x0A\x00\x00\xFF", 4)), "10.0.0.255");
  const std::string tcp("\x01\xBB\x0A\x00\x00\x05", 6);
  EXPECT_EQ(FormatNetAddress(9, 6, tcp), "10.0.0.5:443");
  EXPECT_EQ(FormatNetAddress(8, 6, std::string("\x00\x35\xC0\xA8\x01\x01", 6)), "192.168.1.1:53");
  EXPECT_EQ(FormatNetAddress(13, 8, std::string("h\0t\0t\0p\0", 8)), "http");
  EXPECT_EQ(FormatNetAddress(5, 3, std::string("\xAB\x00\x7F", 3)), "AB007F");
  EXPECT_EQ(FormatNetAddress(9, 1, std::string("\x01", 1)), "01");  // too short for a port
  // Only the given length is read.
  EXPECT_EQ(FormatNetAddress(1, 2, std::string("\x01\x02\x03", 3)), "1.2");
  EXPECT_EQ(FormatNetAddress(1, 9, std::string("\x01\x02", 2)), "1.2");
}

class DirectorySyntaxTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(client.calStartup(0, 0), 0) << client.StartupFailureReason();
    context = OpenDirectoryContext(client, kPlainContext).context;
  }
  std::string Text(const std::string& attribute) {
    return ReadAttributeText(client, context, "values.acme", attribute);
  }
  NameList List(const std::string& attribute) {
    return ReadAttributeList(client, context, "values.acme", attribute, ';');
  }
  std::string OnlyEntry(const std::string& attribute) {
    NameList list = List(attribute);
    EXPECT_EQ(list.size(), 1u) << attribute;
    return list.empty() ? "" : list[0].text;
  }

  EmbeddedClient client{VORLIX_TEST_DATA_DIR "/directory/syntaxes.ldif"};
  Context context = kNoContext;
};

TEST_F(DirectorySyntaxTree, TextReadOfEverySyntax) {
  PinnedClock clock("UTC");
  const char* tooComplex[] = {"Unknown Value", "CI List", "Octet List", "EMail",
                              "ACL",           "Postal",  "Stamp",      "Stream"};
  for (const char* attribute : tooComplex) EXPECT_EQ(Text(attribute), "Too Complex") << attribute;
  EXPECT_EQ(Text("Dist Name"), "jan\\.smith.sales.acmean.acme");  // run together
  EXPECT_EQ(Text("CE String"), "Case Exact");                     // trimmed
  EXPECT_EQ(Text("CI String"), "OneTwo");
  EXPECT_EQ(Text("PR String"), "PRINT");
  EXPECT_EQ(Text("NU String"), "12345");
  EXPECT_EQ(Text("Tel"), "+1 555");
  EXPECT_EQ(Text("Class"), "Group");
  EXPECT_EQ(Text("Flag"), "TRUE");
  EXPECT_EQ(Text("Count"), "7");  // the last value replaces
  EXPECT_EQ(Text("Counter"), "5");
  EXPECT_EQ(Text("Time"), "1705307400");  // raw seconds
  EXPECT_EQ(Text("Interval"), "3600");
  EXPECT_EQ(Text("Octets"), " raw bytes ");  // octet strings are not trimmed
  EXPECT_EQ(Text("Fax"), "+1 556");
  EXPECT_EQ(Text("Address"), "10.0.0.5:443");
  EXPECT_EQ(Text("Path"), "VOL1;/home/x");
  EXPECT_EQ(Text("Replica"), "");  // not fetched
  EXPECT_EQ(Text("Back Link"), "srv.acme;77");
  EXPECT_EQ(Text("Typed Name"), "srv.acme;4;4294967295");
  EXPECT_EQ(Text("Hold"), "srv.acme;12");
}

TEST_F(DirectorySyntaxTree, ListReadOfEverySyntax) {
  PinnedClock clock("UTC");
  for (const char* attribute :
       {"Unknown Value", "Octets", "Octet List", "Postal", "Stamp", "Stream"}) {
    EXPECT_EQ(OnlyEntry(attribute), "too complex") << attribute;
  }
  NameList names = List("Dist Name");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].text, "jan\\.smith.sales.acme");
  EXPECT_EQ(names[1].text, "an.acme");
  EXPECT_EQ(OnlyEntry("CE String"), "Case Exact ");  // not trimmed in the list
  EXPECT_EQ(List("CI String").size(), 2u);
  EXPECT_EQ(OnlyEntry("Flag"), "TRUE");
  NameList counts = List("Count");
  ASSERT_EQ(counts.size(), 2u);
  EXPECT_EQ(counts[0].text, "-42");
  EXPECT_EQ(counts[1].text, "7");
  EXPECT_EQ(OnlyEntry("Time"), "2024-01-15 08:30:00");
  EXPECT_EQ(OnlyEntry("Fax"), "+1 556");
  EXPECT_EQ(OnlyEntry("EMail"), "2;someone@example.org");
  EXPECT_EQ(OnlyEntry("Path"), "VOL1;/home/x");
  EXPECT_EQ(OnlyEntry("Typed Name"), "srv.acme;4;4294967295");
  EXPECT_EQ(OnlyEntry("Interval"), "3600");

  NameList list = List("CI List");
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[2].text, "c");
  EXPECT_EQ(list[3].text, "");
  EXPECT_EQ(std::get<int64_t>(list[3].attached), 1);

  list = List("Back Link");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].text, "srv.acme");
  EXPECT_EQ(std::get<int64_t>(list[0].attached), 77);
  list = List("Hold");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].text, "srv.acme");
  EXPECT_EQ(std::get<int64_t>(list[0].attached), 12);

  list = List("Replica");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].text, "server.acme");
  EXPECT_EQ(std::get<TReplica>(list[0].attached).words,
            (std::array<uint32_t, 7>{0, 1, 2, 3, 4, 5, 6}));
  list = List("ACL");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].text, "Member");
  const auto& acl = std::get<TACL2>(list[0].attached);
  EXPECT_EQ(acl.protectedAttrName, "Member");
  EXPECT_EQ(acl.subjectName, "admin.acme");
  EXPECT_EQ(acl.privileges, 3u);

  list = List("Address");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].text, "");
  const auto& address = std::get<TNetAddress>(list[0].attached);
  EXPECT_EQ(address.addressType, 9u);
  EXPECT_EQ(address.address, std::string("\x01\xBB\x0A\x00\x00\x05", 6));
  list = ReadAttributeList(client, context, "addresses.acme", "Address", ';');
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::get<TNetAddress>(list[1].attached).address.size(), 12u);
}

TEST_F(DirectorySyntaxTree, IntegerReadTakesOnlyNumberSyntaxes) {
  auto integer = [&](const std::string& attribute) {
    return ReadAttributeInteger(client, context, "values.acme", attribute, -5);
  };
  EXPECT_EQ(integer("Count"), 7);  // the last value wins
  EXPECT_EQ(integer("Counter"), 5);
  EXPECT_EQ(integer("Time"), 1705307400);
  EXPECT_EQ(integer("Interval"), 3600);
  EXPECT_EQ(integer("NU String"), -5);  // a string, skipped
  EXPECT_EQ(integer("Flag"), -5);
  // Addresses of other types through the text read.
  EXPECT_EQ(ReadAttributeText(client, context, "addresses.acme", "Address"),
            "01020304 05060708090A:0B0C");
  // A value that does not fit its syntax is an error of the read, not a wrong number.
  EXPECT_THROW(ReadAttributeInteger(client, context, "bad values.acme", "Count", 0),
               DirectoryError);
}

TEST(DirectoryRenderingTest, SyntaxesAboveTheTableAreNeitherFetchedNorListed) {
  EXPECT_FALSE(FetchedInTextRead(28));
  EXPECT_FALSE(FetchedInTextRead(SYN_REPLICA_POINTER));
  EXPECT_TRUE(FetchedInListRead(SYN_REPLICA_POINTER));
  EXPECT_FALSE(FetchedInListRead(28));
  std::string piece = "unchanged";
  EXPECT_EQ(RenderForText(28, FetchedValue{}, piece), TextEffect::kNone);
  NameList out;
  RenderForList(28, FetchedValue{}, ';', out);
  EXPECT_TRUE(out.empty());
  const FetchedValue address = NetAddressValue{1, std::string(256, '\x01')};
  EXPECT_THROW(RenderForList(SYN_NET_ADDRESS, address, ';', out), DirectoryArgumentError);
  // A value of another layout than its syntax reads as an empty one.
  RenderForList(SYN_PATH, WordValue{3}, '|', out);
  EXPECT_EQ(out.back().text, "|");
  const FetchedValue path = PathValue{0, "VOL", "dir"};
  RenderForList(SYN_PATH, path, '|', out);
  EXPECT_EQ(out.back().text, "VOL|dir");  // the separator joins the parts
}

}  // namespace
}  // namespace vorlix::directory
