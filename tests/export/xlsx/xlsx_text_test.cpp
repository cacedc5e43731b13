// Texts as the workbook stores them: valid UTF-8 whatever comes in, and the escape form of the
// format kept for texts that only look like it.

#include "export/xlsx/xlsx_text.h"

#include <gtest/gtest.h>

namespace vorlix::exporter::xlsx {
namespace {

TEST(XlsxText, InvalidUtf8IsReadAsWindows1252AndValidTextIsKept) {
  EXPECT_EQ(ValidUtf8("plain"), "plain");
  EXPECT_EQ(ValidUtf8("Zo\xC3\xAB \xF0\x9F\x98\x80"), "Zo\xC3\xAB \xF0\x9F\x98\x80");
  EXPECT_EQ(ValidUtf8("caf\xE9"), "caf\xC3\xA9");                        // é
  EXPECT_EQ(ValidUtf8("\x80 \x9F"), "\xE2\x82\xAC \xC5\xB8");            // € and Ÿ
  EXPECT_EQ(ValidUtf8("\xC3"), "\xC3\x83");                              // a sequence cut off
  EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // a surrogate
}

TEST(XlsxText, TextsThatLookEscapedAreProtected) {
  EXPECT_EQ(StoredCellText("no escapes_here"), "no escapes_here");
  EXPECT_EQ(StoredCellText("_x0041_"), "_x005F_x0041_");
  EXPECT_EQ(StoredCellText("a_x00e9_b_xBEEF_"), "a_x005F_x00e9_b_x005F_xBEEF_");
  // Not the escape form: too short, not hexadecimal, no closing underscore.
  EXPECT_EQ(StoredCellText("_x041_ _x00G1_ _x0041"), "_x041_ _x00G1_ _x0041");
  // The two characters XML cannot carry are stored escaped.
  EXPECT_EQ(StoredCellText("a\xEF\xBF\xBE"
                           "b\xEF\xBF\xBF"),
            "a_xFFFE_b_xFFFF_");
  EXPECT_EQ(StoredCellText("\xEF\xBF\xBD"), "\xEF\xBF\xBD");  // U+FFFD is fine
  // A NUL would end the text where the library takes it: the rest stays, behind its escape.
  EXPECT_EQ(StoredCellText(std::string("a\0b\0", 4)), "a_x0000_b_x0000_");
  EXPECT_EQ(StoredCellText("caf\xE9_x0041_"), "caf\xC3\xA9_x005F_x0041_");
}

}  // namespace
}  // namespace vorlix::exporter::xlsx
