#include "platform/little_endian.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlix::platform {
namespace {

TEST(LittleEndian, WriterLaysOutEveryWidthLowByteFirstInAnyByteContainer) {
  std::vector<uint8_t> bytes;
  ByteWriter(bytes).U8(0x01).U16(0x0302).U32(0x07060504).U64(0x0F0E0D0C0B0A0908ULL).Zeros(2);
  std::vector<uint8_t> expected;
  for (uint8_t b = 1; b <= 15; ++b) expected.push_back(b);
  expected.insert(expected.end(), {0, 0});
  EXPECT_EQ(bytes, expected);

  std::string text;
  ByteWriter(text).U16(0xFFFE).Bytes("ab").Double(1.0).PatchAt<uint16_t>(0, 0x4241);
  EXPECT_EQ(text, std::string("ABab\0\0\0\0\0\0\xF0\x3F", 12));
}

TEST(LittleEndian, ReaderReadsBackAndFailsSoftlyPastTheEnd) {
  std::string bytes;
  ByteWriter(bytes).U32(0x80000001u).U16(0xBEEF).Bytes("xyz");
  ByteReader reader(bytes);
  uint32_t word = 0;
  uint16_t half = 0;
  std::string text;
  ASSERT_TRUE(reader.U32(word));
  EXPECT_EQ(word, 0x80000001u);  // the high byte is read unsigned, not sign-extended
  ASSERT_TRUE(reader.U16(half));
  EXPECT_EQ(half, 0xBEEF);
  EXPECT_FALSE(reader.Text(4, text));
  EXPECT_FALSE(reader.U32(word));
  EXPECT_EQ(reader.Position(), 6u);  // a failed read moves nothing
  ASSERT_TRUE(reader.Text(3, text));
  EXPECT_EQ(text, "xyz");
  EXPECT_EQ(reader.Left(), 0u);
  uint8_t byte = 0;
  EXPECT_FALSE(reader.U8(byte));
}

}  // namespace
}  // namespace vorlix::platform
