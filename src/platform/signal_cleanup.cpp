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

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemoveRegisteredFiles(int signal) {
  const int savedErrno = errno;
  for (Slot& slot : g_slots)
    if (slot.state.load() == kReady) ::unlink(slot.path);
  // The default action ends the program once the handler returns: the signal is blocked while
  // the handler runs, so the raised one waits until then.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  ::raise(signal);
  errno = savedErrno;
}

}  // namespace

void InstallSignalCleanup() {
  for (int signal : kSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    if (current.sa_handler == SIG_IGN || current.sa_handler == RemoveRegisteredFiles) continue;
    struct sigaction action {};
    action.sa_handler = RemoveRegisteredFiles;
    sigemptyset(&action.sa_mask);
    // Every cleanup signal waits while one handler runs, so two cannot race over the table.
    for (int other : kSignals) sigaddset(&action.sa_mask, other);
    ::sigaction(signal, &action, nullptr);
  }
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
