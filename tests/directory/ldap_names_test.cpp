// Names, filters and addresses between the LDAP client and a server, without a server.

#include "directory/ldap_names.h"

#include <gtest/gtest.h>

#include "directory/client_codes.h"
#include "directory/dotted_name.h"
#include "directory/ldap_connection.h"
#include "directory/ldap_filter.h"
#include "directory/search_filter.h"

namespace vorlix::directory {
namespace {

std::vector<std::string> Values(const std::vector<NameComponent>& components) {
  std::vector<std::string> values;
  for (const NameComponent& c : components) values.push_back(c.value);
  return values;
}

TEST(LdapNamesTest, AwkwardValuesSurviveBothSpellings) {
  const std::vector<std::string> awkward = {
      "dot.ted", "back\\",     "mid\\slash",  "a\\.b",
      "two\\\\", "Smith, Jan", "C++",         "\"quoted\"",
      " lead",   "trail ",     "caf\xC3\xA9", "R=D",
      "#hash",   "semi;colon", "<angle>",     std::string("nul\0byte", 8)};
  for (const std::string& value : awkward) {
    const std::vector<NameComponent> name = {{"cn", value}, {"ou", "sea.side"}, {"o", "acme"}};
    // DN and back.
    const std::string dn = LdapDnString(name);
    auto parsed = ParseLdapDn(dn, nullptr);
    ASSERT_TRUE(parsed) << dn;
    EXPECT_EQ(Values(*parsed), Values(name)) << dn;
    // Dotted and back, typeless and typed, whichever component holds the value.
    for (const bool typed : {false, true}) {
      const std::string dotted = DottedName(name, NameFormOf(typed));
      EXPECT_EQ(SplitDottedName(dotted, typed ? TypePrefix::kDropped : TypePrefix::kKept),
                Values(name))
          << dotted;
    }
    const std::vector<NameComponent> last = {{"ou", "x"}, {"cn", value}};
    EXPECT_EQ(SplitDottedName(DottedName(last, NameForm::kTypeless), TypePrefix::kKept),
              Values(last));
  }
  // A backslash is doubled only where a reader would take it for an escape.
  EXPECT_EQ(DottedName({{"cn", "back\\"}, {"o", "x"}}, NameForm::kTypeless), "back\\\\.x");
  EXPECT_EQ(DottedName({{"cn", "mid\\slash"}, {"o", "x"}}, NameForm::kTypeless), "mid\\slash.x");
  EXPECT_EQ(DottedName({{"cn", "end\\"}}, NameForm::kTypeless), "end\\");
  EXPECT_EQ(LdapDnString({{"cn", " a,b+c "}, {"o", "x"}}), "cn=\\20a\\,b\\+c\\20,o=x");
}

TEST(LdapNamesTest, NamesNotSeenAreGuessedFromTheBaseAndTheUsualTypes) {
  NameBook book("O=Acme");
  // The base's types, the name's own values (the server matches them without regard to case).
  EXPECT_EQ(book.Guesses("jan\\.smith.sales.acme").back(), "cn=jan.smith,ou=sales,O=acme");
  EXPECT_EQ(book.Guesses("acme").back(), "O=acme");
  EXPECT_EQ(book.Guesses("sales.ACME").back(), "cn=sales,O=ACME");
  EXPECT_EQ(book.Guesses("x.y").back(), "cn=x,o=y");  // outside the base
  EXPECT_EQ(book.Guesses("y").back(), "o=y");
  // Typed names are taken at their word first.
  EXPECT_EQ(book.Guesses("uid=jan.ou=sales.o=acme").front(), "uid=jan,ou=sales,o=acme");
  NameBook dc("dc=example,dc=com");
  EXPECT_EQ(dc.Guesses("jan.people.example.com").back(), "cn=jan,ou=people,dc=example,dc=com");

  // What the server showed wins, in its own spelling, under any spelling of the name.
  EXPECT_EQ(book.FindDotted("jan\\.smith.sales.acme"), nullptr);
  book.Remember("CN=Jan.Smith, OU=Sales,O=Acme");
  ASSERT_NE(book.FindDotted("jan\\.smith.sales.acme"), nullptr);
  EXPECT_EQ(book.FindDotted("JAN\\.SMITH.SALES.ACME")->dn, "CN=Jan.Smith, OU=Sales,O=Acme");
  EXPECT_EQ(book.FindDotted("cn=jan\\.smith.ou=sales.o=acme")->dotted, "Jan\\.Smith.Sales.Acme");
  EXPECT_EQ(book.FindDn("cn=jan.smith,ou=sales,o=acme")->dn, "CN=Jan.Smith, OU=Sales,O=Acme");
  EXPECT_EQ(book.DnOf("jan\\.smith.sales.acme"), "CN=Jan.Smith, OU=Sales,O=Acme");
}

TEST(LdapNamesTest, AnEntryRespelledKeepsEveryNameItWasFoundUnder) {
  NameBook book("o=acme");
  std::string key;
  const KnownName* first = book.Remember("cn=Jan,ou=Sales,o=Acme", &key);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(key, first->key);
  EXPECT_EQ(book.Remember("no dn at all"), nullptr);
  // The server spells the same entry otherwise: the new spelling is shown, the old ones still
  // find it, and the spelling lookup takes exact spellings only.
  const KnownName* again = book.Remember("CN=JAN,OU=SALES,O=ACME");
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->dn, "CN=JAN,OU=SALES,O=ACME");
  EXPECT_EQ(again->dotted, "JAN.SALES.ACME");
  EXPECT_EQ(book.FindSpelling("cn=Jan,ou=Sales,o=Acme"), first);
  EXPECT_EQ(book.FindSpelling("cn=jan,ou=sales,o=acme"), nullptr);
  EXPECT_EQ(book.FindDn("cn=jan, ou=sales, o=acme"), first);
  EXPECT_EQ(book.FindDotted("Jan.Sales.Acme"), first);
  EXPECT_EQ(book.FindDotted("JAN.SALES.ACME"), first);
  EXPECT_EQ(book.size(), 1u);
  // An entry as it arrives is remembered alike: a spelling met before stays as it was, a new one
  // is shown from then on.
  for (const bool arriving : {false, true}) {
    const auto remember = [&](const std::string& dn) {
      return arriving ? book.RememberNew(dn) : book.Remember(dn);
    };
    const std::string fresh = arriving ? "cn=jan,ou=sales,o=acme" : "cn=JAN,ou=sales,o=acme";
    const std::string shown(first->dn);
    EXPECT_EQ(remember("cn=Jan,ou=Sales,o=Acme"), first);
    EXPECT_EQ(first->dn, shown);
    EXPECT_EQ(remember(fresh), first);
    EXPECT_EQ(first->dn, fresh);
    EXPECT_EQ(first->dotted, arriving ? "jan.sales.acme" : "JAN.sales.acme");
    EXPECT_EQ(book.FindSpelling(fresh), first);
    EXPECT_EQ(remember(shown)->dn, fresh);
    EXPECT_EQ(remember("cn=,o=acme"), nullptr);
  }
  EXPECT_EQ(book.size(), 1u);

  // Moved into another book (a client that starts again), everything is still found; cleared,
  // nothing is.
  for (int i = 0; i < 2000; ++i) book.Remember("cn=ws" + std::to_string(i) + ",ou=Sales,o=Acme");
  NameBook moved;
  moved = std::move(book);
  ASSERT_NE(moved.FindSpelling("cn=ws1999,ou=Sales,o=Acme"), nullptr);
  EXPECT_EQ(moved.FindDotted("ws7.Sales.Acme")->dn, "cn=ws7,ou=Sales,o=Acme");
  EXPECT_EQ(moved.FindDotted("jan.sales.acme")->dn, "cn=jan,ou=sales,o=acme");
  moved.Clear();
  EXPECT_EQ(moved.FindSpelling("cn=ws7,ou=Sales,o=Acme"), nullptr);
  EXPECT_EQ(moved.FindDotted("Jan.Sales.Acme"), nullptr);
  EXPECT_EQ(moved.size(), 0u);
  EXPECT_NE(moved.Remember("cn=ws7,ou=Sales,o=Acme"), nullptr);
}

TEST(LdapNamesTest, FilterValuesAreEscapedAndOnlyTheStarStaysAWildcard) {
  EXPECT_EQ(EscapeFilterValue("*)(cn=**", Wildcards::kKept), "*\\29\\28cn=*");
  EXPECT_EQ(EscapeFilterValue("*)(cn=*", Wildcards::kEscaped), "\\2A\\29\\28cn=\\2A");
  EXPECT_EQ(EscapeFilterValue(std::string("a\0b\\", 4), Wildcards::kKept), "a\\00b\\5C");
  EXPECT_EQ(EscapeFilterValue("caf\xC3\xA9", Wildcards::kEscaped), "caf\\C3\\A9");

  SchemaNames names;
  auto build = [&](const std::vector<FilterToken>& tokens) {
    auto filter = SearchFilter::Build(tokens, names, nullptr);
    EXPECT_TRUE(filter);
    return filter ? filter->ToLdapFilter(names, [](const std::string& d) { return "dn:" + d; })
                  : std::string();
  };
  // The lookup's filter: base class and name pattern.
  EXPECT_EQ(build({{kTokBaseClass, {}, 0},
                   {kTokAttrName, "Group", SYN_CLASS_NAME},
                   {kTokAnd, {}, 0},
                   {kTokAttrName, "CN", SYN_CI_STRING},
                   {kTokEqual, {}, 0},
                   {kTokValue, ")(|(cn=**", SYN_CI_STRING},
                   {kTokEnd, {}, 0}}),
            "(&(objectClass=groupofnames)(cn=\\29\\28|\\28cn=*))");
  // Or, not, parentheses, order comparisons; a name value is written as a DN, whole.
  EXPECT_EQ(build({{kTokNot, {}, 0},
                   {kTokLParen, {}, 0},
                   {kTokAttrName, "Member", SYN_DIST_NAME},
                   {kTokEqual, {}, 0},
                   {kTokValue, "a*.b", SYN_DIST_NAME},
                   {kTokOr, {}, 0},
                   {kTokAttrName, "Login Count", SYN_INTEGER},
                   {kTokGreaterEqual, {}, 0},
                   {kTokValue, "3*", SYN_INTEGER},
                   {kTokRParen, {}, 0},
                   {kTokEnd, {}, 0}}),
            "(!(|(member=dn:a\\2A.b)(logincount>=3\\2A)))");
  // A mapped name that is no attribute name would change the filter: it is refused.
  names.SetOverride("Telephone Number", "x)(objectClass=*");
  EXPECT_EQ(build({{kTokPresent, {}, 0}, {kTokAttrName, "Telephone Number", 0}, {kTokEnd, {}, 0}}),
            "");
}

TEST(LdapNamesTest, SourceUrlsNameAServerAndABase) {
  std::string error;
  auto a = ParseLdapAddress("ldap://dir.example:3890/o=acme%20corp", &error);
  ASSERT_TRUE(a) << error;
  EXPECT_EQ(a->serverUri, "ldap://dir.example:3890");
  EXPECT_EQ(a->base, "o=acme corp");
  EXPECT_FALSE(a->secure);
  auto s = ParseLdapAddress("LDAPS://[::1]/", &error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->serverUri, "ldaps://[::1]:636");
  EXPECT_EQ(s->base, "");
  EXPECT_TRUE(s->secure);
  EXPECT_EQ(ParseLdapAddress("ldap://h", &error)->hostPort, "h:389");

  // A server that is no host name or IP address could not be connected to.
  for (const char* bad : {"ldap:///o=x", "http://h/o=x", "ldap://h/o=x?cn", "ldap://h/o=x??sub",
                          "ldap://h:99999999/", "ldap://[[h+]x/o=x", "ldap://a%20b/o=x"}) {
    error.clear();
    EXPECT_FALSE(ParseLdapAddress(bad, &error)) << bad;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace vorlix::directory
