// The program's one case rule and its rounding: neither depends on the locale or on the
// floating-point rounding mode, and the rounding leaves that mode as it was.

#include "platform/plain_text.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/rounding.h"

namespace vorlix::platform {
namespace {

TEST(CaseRule, FoldsOnlyAToZAndKeysAgreeWithTheComparison) {
  // The bytes next to the letters, and UTF-8 and Latin-1 capitals, stay as they are.
  EXPECT_EQ(LowerCase(std::string_view("@AZ[`az{")), "@az[`az{");
  EXPECT_EQ(LowerCase(std::string_view("\xC3\x84rger \xC4")), "\xC3\x84rger \xC4");

  // Texts equal under the comparison have the same key, and the order is that of the keys
  // (bytes beyond ASCII come after every letter, a prefix comes first).
  const std::string texts[] = {"", "cn", "CN", "Cn=x", "cn=X", "[", "Z", "z", "\xC4", "\xE4"};
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      const int byKeys = LowerCase(a).compare(LowerCase(b));
      EXPECT_EQ(CompareNoCase(a, b), (byKeys > 0) - (byKeys < 0)) << a << " / " << b;
      EXPECT_EQ(EqualNoCase(a, b), byKeys == 0) << a << " / " << b;
    }
  }
}

TEST(Rounding, HalvesGoToEvenInEveryRoundingModeWhichStaysAsItWas) {
  const int modes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};
  const int before = std::fegetround();
  for (int mode : modes) {
    ASSERT_EQ(std::fesetround(mode), 0);
    EXPECT_EQ(RoundHalfToEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfToEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfToEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfToEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfToEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfToEven(2.4999999), 2.0);
    EXPECT_EQ(RoundHalfToEven(2.5000001), 3.0);
    EXPECT_EQ(RoundHalfToEven(-0.7), -1.0);
    EXPECT_EQ(RoundHalfToEven(4503599627370497.0), 4503599627370497.0);  // 2^52 + 1
    EXPECT_EQ(RoundHalfToEvenInt(700.5), 700);
    EXPECT_EQ(RoundHalfToEvenInt(701.5), 702);
    EXPECT_TRUE(std::isinf(RoundHalfToEven(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(RoundHalfToEven(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(std::fegetround(), mode);
  }
  std::fesetround(before);
}

}  // namespace
}  // namespace vorlix::platform
