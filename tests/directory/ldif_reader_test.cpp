#include "directory/ldif_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "directory/embedded_client.h"
#include "directory/memory_tree.h"

namespace vorlix::directory {
namespace {

// The message of the LdifError that parsing text raises; empty when there is none.
std::string ErrorOf(const std::string& text) {
  try {
    MemoryTree::FromText(text, "t.ldif");
  } catch (const LdifError& e) {
    return e.what();
  }
  return "";
}

TEST(DirectoryLdifTest, ReadsVersionCommentsFoldingAndBase64) {
  const std::string text =
      "# a comment\r\n"
      "version: 1\r\n"
      "\r\n"
      "dn: cn=jan,o=ac\n"
      " me\n"
      "# a comment between lines\n"
      "#  folded comment\n"
      "description: first line\n"
      "  and more\n"
      "cn:: amFu\n"
      "empty:\n"
      "userCertificate;binary:: AAE=\n"
      "\n"
      "\n"
      "dn: o=acme\n"
      "o: acme";
  std::vector<LdifEntry> entries = ParseLdif(text, "t.ldif");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].dn, "cn=jan,o=acme");
  EXPECT_EQ(entries[0].line, 4u);
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(entries[0].attributes,
            (std::vector<Pair>{{"description", "first line and more"},
                               {"cn", "jan"},
                               {"empty", ""},
                               {"userCertificate", std::string("\0\1", 2)}}));
  EXPECT_EQ(entries[0].lines, (std::vector<size_t>{8, 10, 11, 12}));  // where each one starts
  EXPECT_EQ(entries[1].line, 15u);
}

TEST(DirectoryLdifTest, Base64ValuesDecodeWhateverTheirLastGroupHolds) {
  // Whole groups, and a last group with one byte over ("xx==") or two ("xxx="), each with the
  // highest and lowest bits set; the padding may be left out.
  const std::vector<std::pair<std::string, std::string>> values = {{"//79", "\xFF\xFE\xFD"},
                                                                   {"YWJj", "abc"},
                                                                   {"/w==", "\xFF"},
                                                                   {"YQ==", "a"},
                                                                   {"/w", "\xFF"},
                                                                   {"+/8=", "\xFB\xFF"},
                                                                   {"gAE=", "\x80\x01"},
                                                                   {"YWI", "ab"},
                                                                   {"aGVsbG8=", "hello"},
                                                                   {"aGVs bG8", "hello"},
                                                                   {"", ""}};
  for (const auto& [text, bytes] : values) {
    std::string decoded = "old";
    EXPECT_TRUE(DecodeBase64(text, decoded)) << text;
    EXPECT_EQ(decoded, bytes) << text;
  }
  std::string decoded;
  for (const char* bad : {"aGV*bG8=", "a", "YWJjZ", "YQ==YQ=="}) {
    EXPECT_FALSE(DecodeBase64(bad, decoded)) << bad;
  }
}

TEST(DirectoryLdifTest, ErrorsNameTheFileTheLineAndTheFault) {
  EXPECT_EQ(ErrorOf("dn: o=a\nchangetype: add\no: a\n"),
            "t.ldif:2: change records (\"changetype:\") are not supported");
  EXPECT_EQ(ErrorOf("dn: o=a\ncontrol: 1.2.3\n"),
            "t.ldif:2: change records (\"control:\") are not supported");
  EXPECT_EQ(ErrorOf("version: 2\n"), "t.ldif:1: unsupported LDIF version \"2\"");
  EXPECT_EQ(ErrorOf("dn: o=a\n\no: a\n"),
            "t.ldif:3: record does not begin with \"dn:\" (found \"o:\")");
  EXPECT_EQ(ErrorOf("dn: o=a\nno separator here\n"),
            "t.ldif:2: line has no ':' between attribute name and value");
  EXPECT_EQ(ErrorOf("dn: o=a\ncn:: !!!\n"), "t.ldif:2: invalid base64 value of \"cn\"");
  EXPECT_EQ(ErrorOf("dn: o=a\nphoto:< file:///x.jpg\n"),
            "t.ldif:2: URL values (\":<\") are not supported");
  EXPECT_EQ(ErrorOf(" starts folded\n"),
            "t.ldif:1: continuation line (starting with a blank) without a line to continue");
  EXPECT_EQ(ErrorOf("dn: o=a\nbad name!: x\n"), "t.ldif:2: invalid attribute name \"bad name!\"");
  EXPECT_EQ(ErrorOf("dn: o=a\ndn: o=b\n"), "t.ldif:2: second \"dn:\" line in one record");
  EXPECT_EQ(ErrorOf("dn: o=a\n\n\ndn: O=A\n"),
            "t.ldif:4: duplicate entry \"O=A\" (first at line 1)");
  EXPECT_EQ(ErrorOf("dn: cn=x,o\n"),
            "t.ldif:1: malformed name \"cn=x,o\": name component "
            "without '='");
  EXPECT_EQ(ErrorOf("dn: cn=\"open,o=a\n"),
            "t.ldif:1: malformed name \"cn=\"open,o=a\": unterminated quoted value");
  // LF and CR LF end lines; a CR alone does not, so a file written with CR line ends is refused
  // at its first line rather than read as one entry.
  const std::string crOnly =
      "t.ldif:1: a carriage return (CR) without a line feed: LDIF lines end in LF or CR LF, not "
      "in a CR alone; convert the file's line ends";
  EXPECT_EQ(ErrorOf("dn:\rdirectoryTreeName: T\r\rdn: o=a\ro: a\r"), crOnly);
  EXPECT_EQ(ErrorOf("dn: o=a\ro: a\r\n"), crOnly);
  EXPECT_EQ(ErrorOf("dn: o=a\r\no: a\r\n\r\ndn: cn=b\ro=a\n").substr(0, 9), "t.ldif:4:");
  EXPECT_EQ(ErrorOf(""), "");
}

TEST(DirectoryLdifTest, StartupFailsWithTheReasonForMissingAndMalformedFiles) {
  EmbeddedClient missing("/nonexistent/tree.ldif");
  EXPECT_NE(missing.calStartup(0, 0), 0);
  EXPECT_EQ(missing.StartupFailureReason(),
            "/nonexistent/tree.ldif: cannot open the file: No such file or directory");
  Context context = 0;
  EXPECT_NE(missing.dsOpenContext(context), 0);

  EmbeddedClient folder(::testing::TempDir());
  EXPECT_NE(folder.calStartup(0, 0), 0);
  EXPECT_NE(folder.StartupFailureReason().find(": cannot open the file: it is a folder"),
            std::string::npos);

  // Only regular files are read: a device would fill the memory and a FIFO would block.
  EmbeddedClient device("/dev/zero");
  EXPECT_NE(device.calStartup(0, 0), 0);
  EXPECT_EQ(device.StartupFailureReason(),
            "/dev/zero: cannot open the file: it is a character device, not a file");
  const std::string fifo = ::testing::TempDir() + "/tree-fifo.ldif";
  std::remove(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EmbeddedClient pipe(fifo);
  EXPECT_NE(pipe.calStartup(0, 0), 0);
  EXPECT_EQ(pipe.StartupFailureReason(),
            fifo + ": cannot open the file: it is a FIFO (named pipe), not a file");
  std::remove(fifo.c_str());

  const std::string path = ::testing::TempDir() + "/broken.ldif";
  std::ofstream(path) << "version: 1\n\ndn: o=a\nchangetype: delete\n";
  EmbeddedClient broken(path);
  EXPECT_NE(broken.calStartup(0, 0), 0);
  EXPECT_EQ(broken.StartupFailureReason(),
            path + ":4: change records (\"changetype:\") are not supported");
}

}  // namespace
}  // namespace vorlix::directory
