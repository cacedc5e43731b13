#pragma once
// A directory client's session, shared by the window and the CLI: calStartup, clxStartup and the
// context going up; the context closed, clxShutdown(0) and calShutdown(0) going down. The
// shutdown runs once, on every path: whatever has not called it, the destructor does.

#include "directory/directory_client.h"

namespace vorlix::core {

// The first line of the message shown when the directory client cannot start.
inline constexpr char kClientMissingMessage[] = "Novell Client not installed?";

enum class SessionStart {
  ClientMissing,  // calStartup failed; nothing else was done
  ContextFailed,  // the client started, but the context could not be opened or configured
  Open,           // the client started and the context is open
};

class DirectorySession {
 public:
  explicit DirectorySession(directory::DirectoryClient& client) : client_(client) {}
  ~DirectorySession() { Shutdown(); }
  DirectorySession(const DirectorySession&) = delete;
  DirectorySession& operator=(const DirectorySession&) = delete;

  // calStartup; when the client starts, clxStartup and OpenDirectoryContext(false, false).
  SessionStart Start();
  // The context Start made (also one that could not be configured); kNoContext when none.
  directory::Context Context() const { return context_; }
  bool ContextOpened() const { return context_ != directory::kNoContext; }
  // dsCloseContext when a context was made, then clxShutdown(0) and calShutdown(0); results are
  // not looked at. The first call does it, also after a failed start or none.
  void Shutdown();

 private:
  directory::DirectoryClient& client_;
  directory::Context context_ = directory::kNoContext;
  bool shutDown_ = false;
};

}  // namespace vorlix::core
