#pragma once
// A steady clock for tests: it stands still unless the test moves it, or moves `step` further at
// each reading (work that takes `step` per reading).

#include <chrono>

#include "app/core/progress_pace.h"

namespace vorlix::testing {

struct FakeClock {
  std::chrono::steady_clock::time_point now{};
  std::chrono::milliseconds step{0};

  // The clock for code under test; it reads this object, which must outlive it.
  core::SteadyClock Clock() {
    return [this] {
      now += step;
      return now;
    };
  }
};

}  // namespace vorlix::testing
