#include "app/core/directory_session.h"

#include "directory/directory_layer.h"

namespace vorlix::core {

SessionStart DirectorySession::Start() {
  if (client_.calStartup(0, 0) != 0) return SessionStart::ClientMissing;
  client_.clxStartup(0, 0);
  const directory::OpenContextResult opened =
      directory::OpenDirectoryContext(client_, false, false);
  context_ = opened.context;
  return opened.ok ? SessionStart::Open : SessionStart::ContextFailed;
}

void DirectorySession::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (ContextOpened()) {
    client_.dsCloseContext(context_);
    context_ = directory::kNoContext;
  }
  client_.clxShutdown(0);
  client_.calShutdown(0);
}

}  // namespace vorlix::core
