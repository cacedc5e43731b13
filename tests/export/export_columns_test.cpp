// Column building from the owner's options, the type guess and the format defaults.

#include <gtest/gtest.h>

#include "export/morvat3_ascii.h"
#include "export_fixtures.h"

namespace vorlix::exporter {
namespace {

class ExportColumns : public testing::ListExportTest {
 protected:
  TMorvatColumns& Build() {
    exporter_.Columns.Fill(BlobFields::kLeftOut);
    return exporter_.Columns;
  }
};

TEST_F(ExportColumns, MemberTableColumns) {
  testing::AddMemberColumns(list_, testing::kWindowCaptions);
  TMorvatColumns& columns = Build();
  ASSERT_EQ(columns.Count(), 5);
  const int widths[] = {27, 21, 16, 11, 13};
  const char* names[] = {"User", "Phone", " ", " ", " "};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(columns[i].ColumnIndex, i);
    EXPECT_EQ(columns[i].Name, names[i]);
    EXPECT_EQ(columns[i].Caption, names[i]);
    EXPECT_EQ(columns[i].ColType, ectString);
    EXPECT_EQ(columns[i].ColAlign, ecaLeft);
    EXPECT_EQ(columns[i].Width, widths[i]);
    EXPECT_EQ(columns[i].Format, "");
  }
  EXPECT_EQ(columns.IndexOfName("PHONE"), 1);
  EXPECT_EQ(columns.IndexOfName("Mail"), -1);
}

TEST_F(ExportColumns, ExportedFieldsChooseAndOrder) {
  testing::AddMemberColumns(list_);
  exporter_.ExportedFields = {"phone", "USER", "Mail"};
  TMorvatColumns& columns = Build();
  ASSERT_EQ(columns.Count(), 2);
  EXPECT_EQ(columns[0].Name, "Phone");
  EXPECT_EQ(columns[0].ColumnIndex, 1);
  EXPECT_EQ(columns[1].Name, "User");

  // Several list columns of one caption: the last one counts.
  exporter_.ExportedFields = {""};
  ASSERT_EQ(Build().Count(), 1);
  EXPECT_EQ(exporter_.Columns[0].ColumnIndex, 4);

  exporter_.ExportedFields = {"nothing"};
  EXPECT_EQ(Build().Count(), 0);
}

TEST_F(ExportColumns, OptionListsAreKeyedByName) {
  testing::AddMemberColumns(list_);
  exporter_.Captions = {"user=Member"};
  exporter_.ColumnsWidth = {"User=40", "Phone=wide"};
  exporter_.UserFormats = {"USER=@"};
  exporter_.ColumnsAlign = {"User=right", "Phone=x"};
  TMorvatColumns& columns = Build();
  EXPECT_EQ(columns[0].Name, "User");
  EXPECT_EQ(columns[0].Caption, "Member");
  EXPECT_EQ(columns[0].Width, 40);
  EXPECT_EQ(columns[0].Format, "@");
  EXPECT_EQ(columns[0].ColAlign, ecaRight);
  EXPECT_EQ(columns[1].Width, 0);  // not a whole number
  EXPECT_EQ(columns[1].ColAlign, ecaLeft);

  exporter_.ColumnsAlign = {"User=", "Phone=Centre", "user=right"};
  Build();
  EXPECT_EQ(exporter_.Columns[0].ColAlign, ecaLeft);  // the first line counts
  EXPECT_EQ(exporter_.Columns[1].ColAlign, ecaCenter);
}

TEST_F(ExportColumns, TypeGuessFromTheFirstItem) {
  platform::LocaleFacts facts = testing::PinnedLocale::Facts();
  facts.shortDateFormat = "dd/mm/yyyy";
  facts.dateSeparator = '.';
  testing::PinnedLocale dotted(facts);

  const char* captions[] = {"a", "b", "c", "d", "e", "f", "g"};
  for (const char* c : captions) list_.AddColumn(c, 80);
  list_.AddItem("12", {"1.5", "TRUE", "01.02.2003", "12:30", "", "abc"});
  exporter_.AutoCalcStrType = true;
  TMorvatColumns& columns = Build();
  const TMorvatColType types[] = {ectInteger, ectFloat,  ectBoolean, ectDate,
                                  ectTime,    ectString, ectString};
  const TMorvatColAlign aligns[] = {ecaRight, ecaRight, ecaCenter, ecaLeft,
                                    ecaLeft,  ecaLeft,  ecaLeft};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(columns[i].ColType, types[i]) << captions[i];
    EXPECT_EQ(columns[i].ColAlign, aligns[i]) << captions[i];
  }
  EXPECT_EQ(columns[0].Format, "#,###,##0");
  EXPECT_EQ(columns[1].Format, "#,###,##0.00");
  EXPECT_EQ(columns[3].Format, exporter_.Formats.DateFormat());
  EXPECT_EQ(GuessColType("01.02.2003 10:15"), ectDateTime);
  EXPECT_EQ(GuessColType("-7"), ectInteger);
  EXPECT_EQ(GuessColType("4294967296"), ectFloat);  // beyond 32 bits
  EXPECT_EQ(GuessColType("ja", "JA", "nein"), ectBoolean);

  list_.ClearItems();  // an empty list guesses ectInteger
  EXPECT_EQ(Build()[6].ColType, ectInteger);
}

TEST_F(ExportColumns, FormatDefaultsAndSetterRules) {
  TMorvatFormats formats;
  EXPECT_EQ(formats.IntegerFormat(), "#,###,##0");
  EXPECT_EQ(formats.FloatFormat(), "#,###,##0.00");
  EXPECT_EQ(formats.DateFormat(), "yyyy/mm/dd");
  EXPECT_EQ(formats.TimeFormat(), "hh:nn");
  EXPECT_EQ(formats.DateTimeFormat(), "yyyy/mm/dd hh:nn");
  EXPECT_EQ(formats.CurrencyFormat(), "$#,###,##0.00");
  formats.SetIntegerFormat("0");
  formats.SetIntegerFormat("");
  EXPECT_EQ(formats.IntegerFormat(), "#,###,##0");
  formats.SetFloatFormat("");
  EXPECT_EQ(formats.FloatFormat(), "");
  formats.SetDateFormat("");
  EXPECT_EQ(formats.DateFormat(), "yyyy/mm/dd");
  formats.SetBooleanTrue("");
  EXPECT_EQ(formats.BooleanTrue(), "true");

  platform::LocaleFacts facts = testing::PinnedLocale::Facts();
  facts.currencySymbol = "EUR";
  facts.currencyPlacement = platform::CurrencyPlacement::AfterBlank;
  testing::PinnedLocale euro(facts);
  EXPECT_EQ(TMorvatFormats().CurrencyFormat(), "#,###,##0.00 EUR");
}

TEST_F(ExportColumns, FormatValueByType) {
  EXPECT_EQ(FormatValue("1234567", "#,###,##0", ectInteger), "1,234,567");
  EXPECT_EQ(FormatValue("abc", "#,###,##0", ectInteger), "0");
  EXPECT_EQ(FormatValue("9000000000", "#,###,##0", ectBigint), "9,000,000,000");
  EXPECT_EQ(FormatValue("abc", "#,###,##0.00", ectFloat), "");
  EXPECT_EQ(FormatValue("2.5", "", ectCurrency), "2.5");  // general form
  EXPECT_EQ(FormatValue("2003/02/01", "dd.mm.yyyy", ectDate), "01.02.2003");
  EXPECT_EQ(FormatValue("someday", "dd.mm.yyyy", ectDate), "");
  EXPECT_EQ(FormatValue(" yes ", "", ectBoolean), " yes ");
  auto upper = [](const std::string& s) { return s + "!"; };
  EXPECT_EQ(FormatValue("a\\b", "", ectString, upper), "a\\b!");
  EXPECT_EQ(FormatValue("a", "", ectUnknown, upper), "a");
}

TEST_F(ExportColumns, AbsentOptionsHaveTheirDefaultMeaning) {
  // An owner that offers only the source settings: no captions, formats or alignment lists.
  MorvatSourceSettings owner;
  owner.ExportSource = esListView;
  owner.ListView = &list_;
  owner.AutoCalcStrType = true;
  list_.AddColumn("n", 80);
  list_.AddItem("42");
  TMorvatColumns columns(owner);
  columns.Fill();
  ASSERT_EQ(columns.Count(), 1);
  EXPECT_EQ(columns[0].ColType, ectInteger);
  EXPECT_EQ(columns[0].Format, "");         // no default formats
  EXPECT_EQ(columns[0].ColAlign, ecaLeft);  // no ColumnsAlign offered
  EXPECT_EQ(columns.Formats(), nullptr);
}

}  // namespace
}  // namespace vorlix::exporter
