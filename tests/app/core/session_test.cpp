#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "../../directory/fault_client.h"
#include "app/core/directory_session.h"
#include "directory/embedded_client.h"

namespace vorlix::core {
namespace {

using directory::testing::FaultClient;

struct StepCase {
  std::optional<std::string> failing;  // the call that fails the first time; none: all succeed
  SessionStart start;
  bool contextMade;
};

// However far the start gets, the session ends with one shutdown that closes the context it made,
// whether Shutdown or the destructor runs it.
TEST(CoreDirectorySession, EveryStartEndsInOneShutdownThatClosesWhatWasOpened) {
  const StepCase cases[] = {
      {std::nullopt, SessionStart::Open, true},
      {"calStartup", SessionStart::ClientMissing, false},
      {"dsOpenContext", SessionStart::ContextFailed, false},
      {"dsContextSet", SessionStart::ContextFailed, true},  // made, then not configured
  };
  for (const StepCase& step : cases) {
    for (const bool explicitShutdown : {false, true}) {
      SCOPED_TRACE(step.failing.value_or("none") + (explicitShutdown ? ", Shutdown" : ""));
      directory::EmbeddedClient inner(VORLIX_TEST_DATA_DIR "/core/lookup-tree.ldif");
      FaultClient client(inner);
      if (step.failing) client.FailOn(*step.failing, 1, -1);
      {
        DirectorySession session(client);
        EXPECT_EQ(session.Start(), step.start);
        EXPECT_EQ(session.ContextOpened(), step.contextMade);
        EXPECT_EQ(client.Calls("clxStartup"), step.start == SessionStart::ClientMissing ? 0 : 1);
        if (explicitShutdown) {
          session.Shutdown();
          EXPECT_FALSE(session.ContextOpened());
          EXPECT_EQ(client.Calls("calShutdown"), 1);
        }
      }
      EXPECT_EQ(client.Calls("dsCloseContext"), step.contextMade ? 1 : 0);
      EXPECT_EQ(client.Calls("clxShutdown"), 1);
      EXPECT_EQ(client.Calls("calShutdown"), 1);
    }
  }
}

}  // namespace
}  // namespace vorlix::core
