#pragma once
// How many bytes one thread has read through the system so far, readable from another thread
// while it works: how far a library call that reads its input in one go (and reports nothing)
// has got. Where the system keeps no such count (Linux keeps it in /proc/thread-self/io), the
// count is unknown.

#include <atomic>
#include <cstdint>
#include <optional>

namespace vorlix::platform {

class ThreadReadCounter {
 public:
  ThreadReadCounter() = default;
  ~ThreadReadCounter();
  ThreadReadCounter(const ThreadReadCounter&) = delete;
  ThreadReadCounter& operator=(const ThreadReadCounter&) = delete;

  // Called on the thread to be watched.
  void WatchThisThread();
  // The bytes the watched thread has read; nullopt before WatchThisThread, once the thread has
  // ended, or where the system keeps no count.
  std::optional<uint64_t> BytesRead() const;

 private:
  std::atomic<int> fd_{-1};
};

}  // namespace vorlix::platform
