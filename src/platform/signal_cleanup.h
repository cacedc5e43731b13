#pragma once
// Temporary files that an interrupted program must not leave behind. A writer registers the
// temporary file it is filling; every catchable signal whose default action ends the program
// (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXFSZ, SIGVTALRM,
// SIGPROF) then removes every registered file, blanks out the progress line of a terminal, and
// ends the program as the signal would have ended it without the handler. Only SIGKILL and a
// power cut can leave a temporary file behind.
//
// SIGPIPE and SIGXFSZ that the kernel raises for a write of this program (on a pipe without a
// reader, past the file size limit) do not end it: the write fails with EPIPE or EFBIG instead,
// an ordinary write error. What a broken pipe means is the program's choice (BrokenPipe).
//
// The registry is a fixed table of slots with atomic states, so that the handler needs neither
// memory allocation nor locks: it only reads ready slots and calls unlink(2) and write(2).

#include <cstddef>
#include <string>

namespace vorlix::platform {

// What a write on a pipe whose reader has gone does (see OnBrokenPipe).
enum class BrokenPipe {
  kFailsTheWrite,   // an error like any other (the window)
  kEndsTheProgram,  // the program ends quietly, as SIGPIPE ends it (a command in a pipeline)
};

// Installs the handlers; a signal that the program was started ignoring (a background job's
// SIGINT) stays ignored. Safe to call more than once.
void InstallSignalCleanup(BrokenPipe brokenPipe);

// For writers that get EPIPE: under BrokenPipe::kEndsTheProgram, cleans up as a signal does and
// ends the program as SIGPIPE ends it (exit status 141 in the shell, no message). Otherwise
// returns, and the write fails as any other.
void OnBrokenPipe();

// A line on the terminal `fd` that the program rewrites in place, `width` characters long now (0:
// none is shown). A signal that ends the program blanks it out first.
void BlankLineOnSignal(int fd, std::size_t width);

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
