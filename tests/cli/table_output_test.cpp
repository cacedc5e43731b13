#include "cli/table_output.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace vorlix::cli {
namespace {

// The reader's side of the TSV rule: \t, \n, \r and \\ are escapes, any other backslash is itself.
std::string ReadTsvField(const std::string& field) {
  std::string value;
  for (size_t i = 0; i < field.size(); ++i) {
    const char next = i + 1 < field.size() ? field[i + 1] : '\0';
    if (field[i] == '\\' && (next == 't' || next == 'n' || next == 'r' || next == '\\')) {
      value += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
      ++i;
    } else {
      value += field[i];
    }
  }
  return value;
}

TEST(TsvField, NamesWithDirectoryEscapesReadUnchanged) {
  EXPECT_EQ(TsvField("anna\\.berg.office.harbourline"), "anna\\.berg.office.harbourline");
  EXPECT_EQ(TsvField("trailing\\"), "trailing\\");
  EXPECT_EQ(TsvField("a\tb\nc\rd"), "a\\tb\\nc\\rd");
  // A backslash doubles only before what a reader would take for an escape.
  EXPECT_EQ(TsvField("C:\\temp"), "C:\\\\temp");
  EXPECT_EQ(TsvField("\\\\"), "\\\\\\");
  EXPECT_EQ(TsvField("\\\t"), "\\\\\\t");
}

TEST(TsvField, EveryValueReadsBackAndKeepsTheLineWhole) {
  // Values built from the characters the rule is about, in every order, and long enough that
  // escapes fall anywhere within and across eight-byte steps.
  const std::string alphabet = "\\\t\n\rtnrx.........";
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string value;
    const size_t length = random() % 24;
    for (size_t i = 0; i < length; ++i) value += alphabet[random() % alphabet.size()];
    const std::string field = TsvField(value);
    ASSERT_EQ(field.find_first_of("\t\n\r"), std::string::npos);
    ASSERT_EQ(ReadTsvField(field), value) << "field: " << field;
  }
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(CsvField("plain text; fine"), "plain text; fine");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
  EXPECT_EQ(CsvField(""), "");
}

TEST(JsonString, EscapesControlsAndReplacesBytesThatAreNotUtf8) {
  EXPECT_EQ(JsonString("\"\\/"), "\"\\\"\\\\/\"");
  EXPECT_EQ(JsonString(std::string("\t\n\r\x1B\x7F", 5) + std::string(1, '\0')),
            "\"\\t\\n\\r\\u001b\\u007f\\u0000\"");
  EXPECT_EQ(JsonString("caf\xC3\xA9 \xE2\x82\xAC"), "\"caf\xC3\xA9 \xE2\x82\xAC\"");
  // A lone byte, a cut sequence and an overlong form each become U+FFFD.
  EXPECT_EQ(JsonString("a\xFF"), "\"a\xEF\xBF\xBD\"");
  EXPECT_EQ(JsonString("\xE2\x82"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(WriteTable, FormatsShareTheRowsAndCaptions) {
  core::MemberRow row;
  row.caption = "u.o";
  row.cells = {"1", "", "", ""};
  const std::array<std::string, 5> captions = {"User", "Phone", "", "", ""};
  std::ostringstream tsv, csv, json;
  WriteTable(tsv, TableFormat::kTsv, captions, {row, row});
  WriteTable(csv, TableFormat::kCsv, captions, {row});
  WriteTable(json, TableFormat::kJson, captions, {row, row});
  EXPECT_EQ(tsv.str(), "User\tPhone\t\t\t\nu.o\t1\t\t\t\nu.o\t1\t\t\t\n");
  EXPECT_EQ(csv.str(), "User,Phone,,,\r\nu.o,1,,,\r\n");
  EXPECT_EQ(
      json.str(),
      "[\n  {\"User\": \"u.o\", \"Phone\": \"1\"},\n  {\"User\": \"u.o\", \"Phone\": \"1\"}\n]\n");
  EXPECT_THROW(TableFormatOf("xml"), std::invalid_argument);
}

}  // namespace
}  // namespace vorlix::cli
