#include "platform/signal_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace vorlix::platform {
namespace {

constexpr int kSlots = 32;
constexpr std::size_t kPathSize = 4096;

enum SlotState : int { kFree, kFilling, kReady };

struct Slot {
  std::atomic<int> state{kFree};
  char path[kPathSize];
};

Slot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");
static_assert(std::atomic<std::size_t>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

std::atomic<int> g_lineFd{-1};
std::atomic<std::size_t> g_lineWidth{0};
std::atomic<int> g_brokenPipe{static_cast<int>(BrokenPipe::kFailsTheWrite)};

constexpr int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,  SIGUSR2,
                            SIGALRM, SIGPIPE, SIGXFSZ, SIGPROF, SIGVTALRM};

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// Async-signal-safe: unlink(2) and write(2) only.
void CleanUp() {
  for (Slot& slot : g_slots)
    if (slot.state.load() == kReady) ::unlink(slot.path);
  const std::size_t width = g_lineWidth.exchange(0);
  const int fd = g_lineFd.load();
  if (width == 0 || fd < 0) return;
  static const char kBlanks[] = "                                                                ";
  WriteAll(fd, "\r", 1);
  for (std::size_t left = width; left > 0;) {
    const std::size_t n = left < sizeof kBlanks - 1 ? left : sizeof kBlanks - 1;
    WriteAll(fd, kBlanks, n);
    left -= n;
  }
  WriteAll(fd, "\r", 1);
}

// Cleans up, then ends the program with the signal's default action. In a handler the signal is
// blocked until the handler returns, so the raised one takes effect then.
void EndAsSignal(int signal) {
  const int savedErrno = errno;
  CleanUp();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  ::raise(signal);
  errno = savedErrno;
}

bool RaisedByOwnWrite(int signal, const siginfo_t* info) {
  return (signal == SIGPIPE || signal == SIGXFSZ) && info != nullptr && info->si_code == SI_USER &&
         info->si_pid == ::getpid();
}

void OnSignal(int signal, siginfo_t* info, void*) {
  // The kernel sends these two as SI_USER from the writing process itself; the write then fails
  // with EPIPE or EFBIG, which its writer handles.
  if (RaisedByOwnWrite(signal, info)) return;
  EndAsSignal(signal);
}

}  // namespace

void InstallSignalCleanup(BrokenPipe brokenPipe) {
  g_brokenPipe.store(static_cast<int>(brokenPipe));
  for (int signal : kSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) != 0 && current.sa_sigaction == OnSignal) continue;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_sigaction = OnSignal;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    // Every cleanup signal waits while one handler runs, so two cannot race over the table.
    for (int other : kSignals) sigaddset(&action.sa_mask, other);
    ::sigaction(signal, &action, nullptr);
  }
}

void OnBrokenPipe() {
  if (g_brokenPipe.load() != static_cast<int>(BrokenPipe::kEndsTheProgram)) return;
  EndAsSignal(SIGPIPE);
  // Not in a handler: the signal is not blocked, so the program has ended, unless it was.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  ::pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
  ::_exit(128 + SIGPIPE);
}

void BlankLineOnSignal(int fd, std::size_t width) {
  g_lineFd.store(fd);
  g_lineWidth.store(width);
}

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
  if (path.empty() || path.size() >= kPathSize) return;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].state.store(kReady);
    slot_ = i;
    return;
  }
}

void RemoveOnSignal::Release() noexcept {
  if (slot_ < 0) return;
  g_slots[slot_].state.store(kFree);
  slot_ = -1;
}

int RegisteredCleanupCount() {
  int count = 0;
  for (const Slot& slot : g_slots) count += slot.state.load() == kReady ? 1 : 0;
  return count;
}

}  // namespace vorlix::platform
