#pragma once
// A started embedded client over the bundled sample tree, with an open context.

#include <gtest/gtest.h>

#include "directory/directory_layer.h"
#include "directory/embedded_client.h"

namespace vorlix::directory::testing {

class DirectorySampleTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(client.calStartup(0, 0), 0) << client.StartupFailureReason();
    OpenContextResult opened = OpenDirectoryContext(client, kPlainContext);
    ASSERT_TRUE(opened.ok);
    context = opened.context;
  }
  void TearDown() override {
    client.dsCloseContext(context);
    client.calShutdown(0);
  }
  // Nothing that an operation made is left behind.
  void ExpectNothingOpen() {
    EXPECT_EQ(client.OpenBuffers(), 0u);
    EXPECT_EQ(client.OpenFilters(), 0u);
    EXPECT_EQ(client.OpenIterations(), 0u);
  }

  EmbeddedClient client{VORLIX_DATA_DIR "/sample-tree.ldif"};
  Context context = kNoContext;
};

}  // namespace vorlix::directory::testing
