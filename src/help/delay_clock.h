#pragma once
// The countdown after which a help pop-up closes by itself. The program's runs on a QTimer; a
// test gives the component a clock of its own, so that the delay passes when the test says.

#include <functional>
#include <memory>

namespace vorlix::help {

class DelayCountdown {
 public:
  virtual ~DelayCountdown() = default;
  // Calls `elapsed` once, `milliseconds` from now; false when the countdown cannot run.
  virtual bool Start(int milliseconds, std::function<void()> elapsed) = 0;
  // No call comes after this.
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
};

// Makes the countdown of one pop-up.
using DelayClock = std::function<std::unique_ptr<DelayCountdown>()>;

// A countdown on a QTimer of the calling thread's event loop.
std::unique_ptr<DelayCountdown> TimerCountdown();

}  // namespace vorlix::help
