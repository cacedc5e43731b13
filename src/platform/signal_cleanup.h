#pragma once
// Temporary files that an interrupted program must not leave behind. A writer registers the
// temporary file it is filling; SIGINT, SIGTERM or SIGHUP then remove every registered file
// before the signal ends the program as it would have ended without the handler.
//
// The registry is a fixed table of slots with atomic states, so that the handler needs neither
// memory allocation nor locks: it only reads ready slots and calls unlink(2).

#include <string>

namespace vorlix::platform {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP; a signal that the program was started
// ignoring (a background job's SIGINT) stays ignored. Safe to call more than once.
void InstallSignalCleanup();

// Keeps one path registered for removal on a signal while it lives. A path too long for a slot,
// or a full table, is not registered (the file is then only removed on the ordinary paths).
class RemoveOnSignal {
 public:
  explicit RemoveOnSignal(const std::string& path);
  ~RemoveOnSignal() { Release(); }
  RemoveOnSignal(const RemoveOnSignal&) = delete;
  RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

  // Ends the registration: the file was renamed into place or removed.
  void Release() noexcept;
  bool Registered() const { return slot_ >= 0; }

 private:
  int slot_ = -1;
};

// Paths registered now (for tests).
int RegisteredCleanupCount();

}  // namespace vorlix::platform
