#include "app/core/mail.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/core/kinds.h"
#include "app/core/member_table_model.h"

namespace vorlix::core {
namespace {

MemberRow Row(const std::string& caption, const std::string& user = "") {
  MemberRow row;
  row.caption = caption;
  row.cells[0] = user;
  return row;
}

TEST(CoreMail, ShortNameIsTheLeftmostComponentWithEscapedDots) {
  EXPECT_EQ(ShortName("jan\\.smith.sales.acme"), "jan.smith");
  EXPECT_EQ(ShortName("ann.sales.acme"), "ann");
  EXPECT_EQ(ShortName("standalone"), "standalone");
  EXPECT_EQ(ShortName(""), "");
  EXPECT_EQ(ShortName(".acme"), "");
  EXPECT_EQ(ShortName("a\\.b\\.c.x"), "a.b.c");
  EXPECT_EQ(ShortName("trailing\\"), "trailing\\");
}

TEST(CoreMail, GroupRowsGiveTickedShortNamesOnceTopToBottom) {
  MemberTableModel table;
  table.AddRow(Row("an.sales.acme"));
  table.AddRow(Row("jan.sales.acme"));
  table.AddRow(Row("jan.east.acme"));  // same short name again
  table.AddRow(Row("jan\\.smith.sales.acme"));
  table.AddRow(Row("zed.sales.acme"));
  table.SetChecked(4, false);  // zed
  const MailCommand mail = BuildMailCommand(table, kKindGroup);
  // jan ends jan but an is its own name: both are listed.
  EXPECT_EQ(mail.command, "MAILTO:an;jan;jan.smith;");
  EXPECT_EQ(mail.namesListed, 3);
  EXPECT_EQ(mail.namesLeftOut, 0);
}

TEST(CoreMail, WorkstationRowsGiveTheRegisteredUsers) {
  MemberTableModel table;
  table.AddRow(Row("ws1.it.acme", "jan.sales.acme"));
  table.AddRow(Row("ws2.it.acme", "jan.sales.acme"));  // two workstations, one user
  table.AddRow(Row("ws3.it.acme", ""));                // no registered user
  table.AddRow(Row("ws4.it.acme", "pia.it.acme"));
  EXPECT_EQ(BuildMailCommand(table, kKindWorkstationGroup).command, "MAILTO:jan;pia;");

  MemberTableModel empty;
  EXPECT_EQ(BuildMailCommand(empty, kKindGroup).command, "MAILTO:");
}

TEST(CoreMail, NamesThatEndOrStartHeaderFieldsAreEscaped) {
  MemberTableModel table;
  table.AddRow(Row("a?cc=boss#x%y.acme"));
  EXPECT_EQ(BuildMailCommand(table, kKindGroup).command, "MAILTO:a%3Fcc=boss%23x%25y;");
}

TEST(CoreMail, LongListIsCutAtANameBoundaryAndCountsTheNamesLeftOut) {
  MemberTableModel table;
  // 200 names of 9 characters each ("user00000;" = 10 with the separator).
  for (int i = 0; i < 200; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "user%05d", i);
    table.AddRow(Row(std::string(name) + ".acme"));
    table.AddRow(Row(std::string(name) + ".other"));  // duplicates are not counted as left out
  }
  const MailCommand mail = BuildMailCommand(table, kKindGroup);
  // "MAILTO:" is 7 characters: 99 names fit into 997 characters, the 100th would need 1007.
  EXPECT_EQ(mail.namesListed, 99);
  EXPECT_EQ(mail.namesLeftOut, 101);
  EXPECT_EQ(mail.command.size(), 997u);
  EXPECT_EQ(mail.command.substr(mail.command.size() - 10), "user00098;");
  EXPECT_NE(MailCutNotice(mail.namesLeftOut).find("101 names"), std::string::npos);

  // Exactly at the limit everything fits.
  EXPECT_EQ(BuildMailCommand(table, kKindGroup, 1007).namesLeftOut, 100);
  EXPECT_EQ(BuildMailCommand(table, kKindGroup, 7 + 2000).namesLeftOut, 0);
}

// The text of a percent-encoded command part, as the mail program reads it.
std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST(CoreMail, TheLimitHoldsForTheEncodedCommandAndEveryNameDecodesBack) {
  MemberTableModel table;
  // 70 names with blanks: 14 characters each, 18 once their blanks are encoded.
  for (int i = 0; i < 70; ++i) table.AddRow(Row("Anne Marie " + std::to_string(100 + i) + ".acme"));
  table.AddRow(Row("J\xC3\xB6rg, Boss;x.acme"));
  table.AddRow(Row("tail\\\\.acme"));  // a short name ending in a backslash
  const MailCommand mail = BuildMailCommand(table, kKindGroup);
  EXPECT_LE(mail.command.size(), kMaxMailCommand);
  EXPECT_EQ(mail.namesListed + mail.namesLeftOut, 72);
  EXPECT_GT(mail.namesLeftOut, 0);
  for (const char c : mail.command) {
    EXPECT_TRUE(c > ' ' && static_cast<unsigned char>(c) < 0x7F) << mail.command;
  }
  const std::string prefix = "MAILTO:";
  ASSERT_EQ(mail.command.rfind(prefix, 0), 0u);
  std::vector<std::string> decoded;
  std::string rest = mail.command.substr(prefix.size());
  for (size_t end; (end = rest.find(';')) != std::string::npos; rest.erase(0, end + 1))
    decoded.push_back(PercentDecoded(rest.substr(0, end)));
  std::vector<std::string> expected;
  for (int i = 0; i < mail.namesListed; ++i) expected.push_back(ShortName(table.Row(i).caption));
  EXPECT_EQ(decoded, expected);
  EXPECT_EQ(decoded.front(), "Anne Marie 100");
  // Cut at 1,000 encoded characters: with the names taken as typed it would reach 1,267.
  EXPECT_EQ(mail.namesListed, 52);
  const MailCommand whole = BuildMailCommand(table, kKindGroup, 100000);
  EXPECT_EQ(whole.namesLeftOut, 0);
  EXPECT_TRUE(whole.command.ends_with(";J%C3%B6rg%2C%20Boss%3Bx;tail%5C;")) << whole.command;

  EXPECT_EQ(EncodeRecipient("J\xC3\xB6rg, Boss;x"), "J%C3%B6rg%2C%20Boss%3Bx");
  EXPECT_EQ(PercentDecoded(EncodeRecipient("a\\")), "a\\");
  EXPECT_EQ(EncodeRecipient("o'neil+list@x.org"), "o'neil+list@x.org");
}

TEST(CoreMail, MailBeforeALookupDoesNothing) {
  AppState state;
  MemberTableModel table;
  table.AddRow(Row("jan.acme"));
  std::vector<std::string> opened;
  const auto open = [&](const std::string& c) { opened.push_back(c); };
  EXPECT_FALSE(ToolButton6Click(state, table, kKindGroup, open).has_value());
  EXPECT_TRUE(opened.empty());

  state.CurrentObjectName = "staff.acme";
  table.SetChecked(0, false);
  ASSERT_TRUE(ToolButton6Click(state, table, kKindGroup, open).has_value());
  EXPECT_EQ(opened, (std::vector<std::string>{"MAILTO:"}));
}

}  // namespace
}  // namespace vorlix::core
