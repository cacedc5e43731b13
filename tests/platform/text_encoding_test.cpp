#include "platform/text_encoding.h"

#include <gtest/gtest.h>

using namespace vorlix::platform;

TEST(PlatformTextEncoding, DecodesValidUtf8AndRefusesTheRest) {
  char32_t c = 0;
  EXPECT_EQ(DecodeUtf8("A", 0, c), 1);
  EXPECT_EQ(c, U'A');
  EXPECT_EQ(DecodeUtf8("J\xC3\xBCrgen", 1, c), 2);
  EXPECT_EQ(c, U'\u00FC');
  EXPECT_EQ(DecodeUtf8("\xE2\x82\xAC", 0, c), 3);
  EXPECT_EQ(c, U'\u20AC');
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80", 0, c), 4);
  EXPECT_EQ(c, U'\U0001F600');
  // Stray continuation, overlong form, surrogate, cut-off sequence, past the end.
  for (std::string_view bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", ""}) {
    EXPECT_EQ(DecodeUtf8(bad, 0, c), 0);
  }
}

TEST(PlatformTextEncoding, CountsCharactersNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("Zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80"), 7u);
  // A byte outside a valid sequence is one character of its own, as the code page reads it;
  // a cut-off sequence is one character per byte, not one for the lot.
  EXPECT_EQ(CharacterCount("caf\xE9"), 4u);
  EXPECT_EQ(CharacterCount("\xE2\x82"), 2u);
  EXPECT_EQ(CharacterCount("\x80\x80\xC3\xA9"), 3u);
}

TEST(PlatformTextEncoding, MapsTheWindows1252Page) {
  EXPECT_EQ(FromCp1252(0x80), U'\u20AC');
  EXPECT_EQ(FromCp1252(0xFC), U'\u00FC');
  EXPECT_EQ(FromCp1252(0x81), U'\u0081');  // undefined codes stand for themselves
  EXPECT_EQ(ToCp1252(U'\u20AC'), 0x80);
  EXPECT_EQ(ToCp1252(U'\u00FC'), 0xFC);
  EXPECT_EQ(ToCp1252(U'A'), 'A');
  EXPECT_EQ(ToCp1252(U'\u0416'), -1);  // Cyrillic is not on the page
}
