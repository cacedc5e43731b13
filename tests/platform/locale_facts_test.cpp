#include "platform/locale_facts.h"

#include <gtest/gtest.h>

#include "platform/system_info.h"

using namespace vorlix::platform;

TEST(PlatformLocaleFacts, ProcessSettingsUseTheDashAsDateSeparator) {
  EXPECT_EQ(FormatSettings().dateSeparator, '-');
  EXPECT_FALSE(ExecutableDirectory().empty());
  EXPECT_NE(ExecutableDirectory().back(), '/');
}
