#include "app/core/progress_pace.h"

namespace vorlix::core {

SteadyClock SystemClock() {
  return [] { return std::chrono::steady_clock::now(); };
}

ProgressPace::ProgressPace(SteadyClock clock, std::chrono::milliseconds interval,
                           std::chrono::milliseconds delay)
    : clock_(clock ? std::move(clock) : SystemClock()),
      interval_(interval),
      next_(clock_() + delay) {}

bool ProgressPace::Due() {
  const std::chrono::steady_clock::time_point now = clock_();
  if (now < next_) return false;
  // Counted from now: after a long stall the reports do not bunch up to catch up.
  next_ = now + interval_;
  return true;
}

}  // namespace vorlix::core
