#include <gtest/gtest.h>

#include <clocale>

#include "directory/dotted_name.h"
#include "directory/ldif_reader.h"
#include "directory/memory_tree.h"
#include "directory/name_sort.h"
#include "directory/schema_names.h"
#include "directory/search_filter.h"
#include "directory/value_conversion.h"

namespace vorlix::directory {
namespace {

TEST(DirectoryNamesTest, LdapNamesBecomeDottedNamesAndBack) {
  auto dotted = [](const std::string& dn, bool typed = false) {
    auto components = ParseLdapDn(dn, nullptr);
    return components ? DottedName(*components, NameFormOf(typed)) : std::string("<malformed>");
  };
  EXPECT_EQ(dotted("cn=jan.smith,ou=sales,o=acme"), "jan\\.smith.sales.acme");
  EXPECT_EQ(dotted("cn=jan.smith,ou=sales,o=acme", true), "cn=jan\\.smith.ou=sales.o=acme");
  EXPECT_EQ(dotted("CN = Smith\\, Jan , O=acme"), "Smith, Jan.acme");
  EXPECT_EQ(dotted("cn=\"a,b\",o=x"), "a,b.x");
  EXPECT_EQ(dotted("cn=caf\\C3\\A9,o=x"), "caf\xC3\xA9.x");
  EXPECT_EQ(dotted("cn=trailing\\ ,o=x"), "trailing .x");
  EXPECT_EQ(dotted("cn=\" a; b \" ,o=x"), " a; b .x");   // blanks inside quotes stay
  EXPECT_EQ(dotted("cn=say\"hi\";o=x"), "say\"hi\".x");  // a quote inside a value is a character
  EXPECT_EQ(dotted(""), "");
  EXPECT_EQ(dotted("cn=,o=x"), "<malformed>");
  EXPECT_EQ(dotted("cn=x,"), "<malformed>");
  EXPECT_EQ(dotted("cn=x\\"), "<malformed>");

  EXPECT_EQ(SplitDottedName("jan\\.smith.sales.acme"),
            (std::vector<std::string>{"jan.smith", "sales", "acme"}));
  EXPECT_EQ(SplitDottedName("CN=jan\\.smith.OU=sales.O=acme"),
            (std::vector<std::string>{"jan.smith", "sales", "acme"}));
  EXPECT_EQ(NameKey(SplitDottedName("Jan\\.Smith.Sales")), NameKey({"jan.smith", "sales"}));
  EXPECT_NE(NameKey({"a.b"}), NameKey({"a", "b"}));

  // A value holding "=" is found under the name the tree hands out, typed names still are.
  const auto tree =
      MemoryTree::FromText("dn: o=acme\no: acme\n\ndn: cn=R=D,o=acme\ncn: R=D\n", "t");
  ASSERT_NE(tree->Find("R=D.acme"), nullptr);
  EXPECT_EQ(tree->Find("r=d.ACME"), tree->Find("R=D.acme"));
  EXPECT_EQ(tree->Find("cn=R=D.o=acme"), tree->Find("R=D.acme"));
  EXPECT_EQ(tree->Find("O=acme"), tree->Find("acme"));
  EXPECT_EQ(tree->Find("D.acme"), nullptr);

  // A backslash before a dot, as this version spells it and as earlier versions did (dots
  // escaped, backslashes not). "x\\.y.acme" is now "x\" below "y"; from earlier versions it is
  // "x\.y", which it finds when there is no "x\" below "y".
  const auto both = MemoryTree::FromText(
      "dn: o=acme\no: acme\n\ndn: cn=x\\5C.y,o=acme\ncn: x\n\ndn: cn=y,o=acme\ncn: y\n\n"
      "dn: cn=x\\5C,cn=y,o=acme\ncn: x\n",
      "t");
  ASSERT_NE(both->Find("x\\\\.y.acme"), nullptr);
  EXPECT_EQ(both->Find("x\\\\.y.acme")->typed(), "cn=x\\\\.cn=y.o=acme");
  EXPECT_EQ(both->Find("x\\\\\\.y.acme")->typed(), "cn=x\\\\\\.y.o=acme");
  const auto earlierOnly =
      MemoryTree::FromText("dn: o=acme\no: acme\n\ndn: cn=x\\5C.y,o=acme\ncn: x\n", "t");
  ASSERT_NE(earlierOnly->Find("x\\\\.y.acme"), nullptr);
  EXPECT_EQ(earlierOnly->Find("x\\\\.y.acme"), earlierOnly->Find("x\\\\\\.y.acme"));

  // Names no object can have.
  EXPECT_EQ(DottedNameFault("jan\\.smith.sales"), "");
  EXPECT_EQ(DottedNameFault("tail\\"), "");
  EXPECT_EQ(DottedNameFault(".acme"), "it begins with a dot");
  EXPECT_EQ(DottedNameFault("x.acme."), "it ends with a dot");
  EXPECT_EQ(DottedNameFault("x..acme"), "it has two dots in a row");
  EXPECT_EQ(DottedNameFault(""), "it is empty");

  // Names are found without regard to case in every script.
  const auto accented = MemoryTree::FromText(
      "dn: o=acme\no: acme\n\ndn: cn=\xC3\x84rzte Stra\xC3\x9F"
      "e,o=acme\ncn: x\n",
      "t");
  ASSERT_NE(accented->Find("\xC3\x84rzte Stra\xC3\x9F"
                           "e.acme"),
            nullptr);
  EXPECT_EQ(accented->Find("\xC3\xA4RZTE STRASSE.ACME"), accented->Find("\xC3\x84rzte Stra\xC3\x9F"
                                                                        "e.acme"));
}

TEST(DirectoryNamesTest, KeysReadStraightFromTheTextAreTheKeysOfTheParsedName) {
  std::string key, scratch;
  for (const std::string dotted :
       {"jan\\.smith.sales.acme", "CN=Jan\\.Smith.OU=Sales.O=acme", "R=D.acme", "a b-c=d.x",
        "x\\\\.y.acme", "x\\\\\\.y.acme", "tail\\", "mid\\slash.x", "\xC3\x84rzte.ACME", ".x.", "",
        "=.x", "Jan Smith.Sales.ACME"}) {
    for (const DotEscapes escapes : {DotEscapes::kCurrent, DotEscapes::kEarlier}) {
      for (const TypePrefix prefix : {TypePrefix::kKept, TypePrefix::kDropped}) {
        DottedNameKey(dotted, prefix, escapes, key, scratch);
        EXPECT_EQ(key, NameKey(SplitDottedName(dotted, prefix, escapes)))
            << dotted << (prefix == TypePrefix::kDropped ? " without types" : "")
            << (escapes == DotEscapes::kEarlier ? " read as earlier" : "");
      }
    }
  }
  for (const std::string dn :
       {"cn=jan.smith,ou=sales,o=acme", "CN = Smith\\, Jan , O=acme", "cn=\"a,b\";o=x",
        "cn=caf\\C3\\A9,o=X", "cn=trailing\\ ,o=x", "cn=\" a; b \" ,o=x", "cn=say\"hi\";o=x",
        "cn=x+sn=y,o=Z", "", "  ", "CN=MiXeD,OU=Sales,O=acme", "cn=a=B,o=x", "x,o=Y", "cn=x;o=Y"}) {
    key = "left over";
    ASSERT_TRUE(LdapDnKey(dn, key, scratch)) << dn;
    EXPECT_EQ(key, ComponentsKey(*ParseLdapDn(dn, nullptr))) << dn;
  }
  for (const std::string dn : {"cn=,o=x", "cn=x,", "cn=x\\", "cn=\"x,o=y", "=x", "x"}) {
    EXPECT_FALSE(LdapDnKey(dn, key, scratch)) << dn;
    EXPECT_FALSE(ParseLdapDn(dn, nullptr)) << dn;
  }
}

TEST(DirectoryNamesTest, ProgramNamesMapToLdapNamesAndSyntaxes) {
  SchemaNames names;
  EXPECT_EQ(names.AttributeKey("WM:NAME User"), "wmnameuser");
  EXPECT_EQ(names.AttributeKey("ZEN:INV IP Address"), "zeninvipaddress");
  EXPECT_EQ(names.AttributeKey("Telephone Number"), "telephonenumber");
  EXPECT_EQ(names.AttributeKey("CN"), "cn");
  EXPECT_EQ(names.ClassKey("Group"), "groupofnames");
  EXPECT_EQ(names.ClassKey("zenWorkstationGroup"), "zenworkstationgroup");
  EXPECT_EQ(names.ProgramClassName("groupOfNames"), "Group");
  EXPECT_EQ(names.SyntaxOf("member"), 1);
  EXPECT_EQ(names.SyntaxOf("wmnameuser"), 1);
  EXPECT_EQ(names.SyntaxOf("wmlastregisteredtime"), 24);
  EXPECT_EQ(names.SyntaxOf("telephonenumber"), 10);
  EXPECT_EQ(names.SyntaxOf("zeninvipaddress"), 3);
  EXPECT_EQ(names.SyntaxOf("description"), 3);
  EXPECT_EQ(names.SyntaxOf("somethingelse"), 3);

  names.AddAttributeType(
      "( 2.5.4.20 NAME ( 'telephoneNumber' 'phone' ) SYNTAX 1.3.6.1.4.1.1466.115.121.1.50{32} "
      "X-NDS_NAME 'Phone Of Desk' )");
  names.AddAttributeType("( 1.2.3 NAME 'loginTime' SYNTAX 9.8.7.24 )");
  names.AddObjectClass("( 1.2.4 NAME 'crew' SUP top X-NDS_NAME 'Ship Crew' )");
  EXPECT_EQ(names.AttributeKey("Phone Of Desk"), "telephonenumber");
  EXPECT_EQ(names.SyntaxOf("phone"), 10);
  EXPECT_EQ(names.SyntaxOf("logintime"), 24);  // a directory syntax number as last arc
  EXPECT_EQ(names.ClassKey("Ship Crew"), "crew");
  EXPECT_EQ(names.ProgramClassName("CREW"), "Ship Crew");
  // Keywords and brackets inside quotes are texts, not parts of the definition.
  names.AddAttributeType(
      "( 1.2.5 NAME 'fax' DESC 'NAME' SYNTAX 1.3.6.1.4.1.1466.115.121.1.22 X-NDS_NAME '(' )");
  EXPECT_EQ(names.CanonicalKey("SYNTAX"), "syntax");
  EXPECT_EQ(names.AttributeKey("("), "fax");
  names.SetOverride("Telephone Number", "mobile");
  EXPECT_EQ(names.AttributeKey("telephone number"), "mobile");

  EXPECT_EQ(SchemaNames::SyntaxFromOid("1.3.6.1.4.1.1466.115.121.1.27"), 8);
  EXPECT_EQ(SchemaNames::SyntaxFromOid("1.3.6.1.4.1.1466.115.121.1.15"), 3);
  EXPECT_EQ(SchemaNames::SyntaxFromOid("1.2.3.99"), -1);
  EXPECT_EQ(SchemaNames::SyntaxFromOid("garbage"), -1);
}

TEST(DirectoryNamesTest, TheBaseClassIsTheMostSpecificClassWhicheverWayTheServerListsThem) {
  struct Row {
    std::vector<std::string> structural, classes;
    const char* base;
  };
  // Without a schema the order of the list tells: from "top" down, or up to "top".
  const Row unordered[] = {
      {{}, {"groupOfNames", "top"}, "groupofnames"},
      {{}, {"top", "person", "organizationalPerson", "user", "computer"}, "computer"},
      {{"top", "group"}, {"top", "group"}, "group"},  // a whole chain as structuralObjectClass
      {{"inetOrgPerson"}, {"top", "posixAccount"}, "inetorgperson"},
      {{}, {"Top"}, ""},
  };
  SchemaNames none;
  for (const Row& row : unordered) {
    EXPECT_EQ(none.BaseClassOf(row.structural, row.classes), row.base) << row.base;
    EXPECT_EQ(BaseClassKey(row.structural, row.classes), row.base) << row.base;
  }
  // With a schema its derivations tell, in any order, and auxiliary classes do not count.
  SchemaNames schema;
  for (const char* definition :
       {"( 2.5.6.6 NAME 'person' SUP top STRUCTURAL )",
        "( 2.5.6.7 NAME 'organizationalPerson' SUP person STRUCTURAL )",
        "( 1.2.840.113556.1.5.9 NAME 'user' SUP organizationalPerson STRUCTURAL )",
        "( 1.2.840.113556.1.3.30 NAME 'computer' SUP user STRUCTURAL )",
        "( 2.16.840.1.113730.3.2.2 NAME 'inetOrgPerson' SUP ( organizationalPerson ) )",
        "( 1.3.6.1.1.1.2.0 NAME 'posixAccount' SUP top AUXILIARY )"}) {
    schema.AddObjectClass(definition);
  }
  const Row ordered[] = {
      {{}, {"computer", "top", "user", "person", "organizationalPerson"}, "computer"},
      {{},
       {"top", "person", "organizationalPerson", "inetOrgPerson", "posixAccount"},
       "inetorgperson"},
      {{"top", "person", "organizationalPerson", "user"}, {}, "user"},
  };
  for (const Row& row : ordered) {
    EXPECT_EQ(schema.BaseClassOf(row.structural, row.classes), row.base) << row.base;
  }
}

TEST(DirectoryNamesTest, LargeIntegerTimesAreTimesWhereATimeColumnIsMappedToThem) {
  SchemaNames names;
  names.AddAttributeType(
      "( 1.2.840.113556.1.4.1696 NAME 'lastLogonTimestamp' SYNTAX '1.2.840.113556.1.4.906' "
      "SINGLE-VALUE )");
  names.AddAttributeType(
      "( 1.2.840.113556.1.2.120 NAME 'uSNChanged' SYNTAX "
      "'1.2.840.113556.1.4.906' SINGLE-VALUE )");
  EXPECT_EQ(names.SyntaxOf("lastlogontimestamp"), SYN_CI_STRING);  // the number as written
  names.SetOverride("WM:Last Registered Time", "lastLogonTimestamp");
  names.SetOverride("Description", "uSNChanged");
  EXPECT_EQ(names.SyntaxOf("lastlogontimestamp"), SYN_TIME);
  EXPECT_TRUE(names.HoldsWindowsTime("lastlogontimestamp"));
  EXPECT_EQ(names.SyntaxOf("usnchanged"), SYN_CI_STRING);
  EXPECT_FALSE(names.HoldsWindowsTime("usnchanged"));

  struct Row {
    const char* text;
    std::optional<int64_t> seconds;
  };
  const Row rows[] = {
      {"116444736000000000", 0},
      {"133497504000000000", 1705276800},
      {"133497504009999999", 1705276800},
      {"116444735990000000", -1},
      {"0", 0},
      {"9223372036854775807", 0},
      {"-1", std::nullopt},
      {"1.5", std::nullopt},
      {"", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseWindowsTime(row.text), row.seconds) << row.text;
}

TEST(DirectoryNamesTest, WildcardsMatchWithoutRegardToCaseInEveryScript) {
  struct Row {
    const char* pattern;
    const char* text;
    bool ignoreCase;
    bool matches;
  };
  const Row rows[] = {
      {"\xC3\xA4r*", "\xC3\x84rzte", true, true},  // är* finds Ärzte
      {"*ZTE", "\xC3\xA4rzte", true, true},
      {"stra\xC3\x9F"
       "e",
       "STRASSE", true, true},  // ß folds to ss
      {"strasse*",
       "Stra\xC3\x9F"
       "e",
       true, true},
      {"k*",
       "\xE2\x84\xAA"
       "elvin",
       true, true},  // the Kelvin sign folds to k
      {"a*c",
       "a\xC3\x9F"
       "c",
       true, true},
      {"ab", "ab\xC3\x9F", true, false},
      {"\xC3\xA9quipe*", "Equipe", true, false},
      {"A*", "a", false, false},  // case-exact
      {"\xC3\x84*", "\xC3\xA4", false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WildcardMatch(row.pattern, row.text, row.ignoreCase), row.matches)
        << row.pattern << " / " << row.text;
  }
}

TEST(DirectoryNamesTest, SortIgnoresCaseAndBreaksTiesByBytes) {
  std::setlocale(LC_COLLATE, "C");
  std::vector<std::string> names = {"sales.b", "Beta.x",  "alpha.x",
                                    "Sales.b", "SALES.b", "Alpha.x"};
  SortNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha.x", "alpha.x", "Beta.x", "SALES.b", "Sales.b",
                                             "sales.b"}));
  // Letters beyond ASCII sort with their other case.
  std::vector<std::string> accented = {"\xC3\xA9quipe.x", "Zoo.x", "\xC3\x89quipe.x", "eve.x"};
  SortNames(accented);
  EXPECT_EQ(accented,
            (std::vector<std::string>{"eve.x", "Zoo.x", "\xC3\x89quipe.x", "\xC3\xA9quipe.x"}));
  NameList list = {{"b", int64_t{2}}, {"A", int64_t{1}}, {"c", {}}};
  SortNames(list);
  EXPECT_EQ(list[0].text, "A");
  EXPECT_EQ(std::get<int64_t>(list[0].attached), 1);
  EXPECT_EQ(list[2].text, "c");
}

}  // namespace
}  // namespace vorlix::directory
