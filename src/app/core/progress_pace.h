#pragma once
// When long work on the GUI thread reports how far it got: the first report once the work has run
// for a while (short work shows nothing), then at most once per interval, so that reporting and
// the window's event handling cost little however fast the work goes. The clock is a parameter,
// so that tests can drive it.

#include <chrono>
#include <functional>

namespace vorlix::core {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

// The steady clock of the system.
SteadyClock SystemClock();

// At most ten reports a second.
inline constexpr std::chrono::milliseconds kProgressInterval{100};

class ProgressPace {
 public:
  // `clock` empty: the system's. The first report is due `delay` after construction.
  explicit ProgressPace(SteadyClock clock, std::chrono::milliseconds interval = kProgressInterval,
                        std::chrono::milliseconds delay = kProgressInterval);

  // Whether a report is due now; when it is, the next one is due an interval later.
  bool Due();

 private:
  SteadyClock clock_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point next_;
};

}  // namespace vorlix::core
