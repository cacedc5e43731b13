#include "platform/locale_facts.h"

#include <gtest/gtest.h>

#include "platform/system_info.h"

using namespace vorlix::platform;

TEST(PlatformLocaleFacts, StrftimePatternsBecomePictures) {
  EXPECT_EQ(PictureFromStrftime("%m/%d/%y"), "mm/dd/yy");
  EXPECT_EQ(PictureFromStrftime("%d.%m.%Y"), "dd/mm/yyyy");  // "/" prints the date separator
  EXPECT_EQ(PictureFromStrftime("%Y-%m-%d"), "yyyy/mm/dd");
  EXPECT_EQ(PictureFromStrftime("%H:%M:%S"), "hh:nn:ss");
  EXPECT_EQ(PictureFromStrftime("%I:%M:%S %p"), "hh:nn:ss am/pm");
}

TEST(PlatformLocaleFacts, ProcessSettingsUseTheDashAsDateSeparator) {
  EXPECT_EQ(FormatSettings().dateSeparator, '-');
  EXPECT_FALSE(ExecutableDirectory().empty());
  EXPECT_NE(ExecutableDirectory().back(), '/');
}
