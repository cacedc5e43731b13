#pragma once
// A clock for the help pop-up's delay that moves only when the test moves it, so that a test of
// the delay neither sleeps nor depends on how busy the machine is.

#include <functional>
#include <memory>
#include <vector>

#include "help/delay_clock.h"

namespace vorlix::help::testing {

class ManualDelayClock {
 public:
  // The clock for TFormHelp::SetDelayClock; its countdowns run on this object, which must
  // outlive them.
  DelayClock Clock() {
    return [this]() -> std::unique_ptr<DelayCountdown> {
      auto state = std::make_shared<State>();
      states_.push_back(state);
      return std::make_unique<Countdown>(*this, state);
    };
  }
  // Moves the clock on and calls the countdowns that became due, in the order they started.
  void Advance(int milliseconds) {
    now_ += milliseconds;
    const std::vector<std::weak_ptr<State>> states = states_;
    for (const std::weak_ptr<State>& weak : states) {
      const std::shared_ptr<State> state = weak.lock();
      if (!state || !state->running || state->due > now_) continue;
      state->running = false;
      const std::function<void()> elapsed = state->elapsed;
      elapsed();
    }
  }
  // The next countdown cannot start, as when the system has no timer left.
  void RefuseNextStart() { refuseNext_ = true; }
  // The intervals the countdowns were started with.
  const std::vector<int>& Started() const { return started_; }

 private:
  struct State {
    int due = 0;
    bool running = false;
    std::function<void()> elapsed;
  };
  class Countdown : public DelayCountdown {
   public:
    Countdown(ManualDelayClock& clock, std::shared_ptr<State> state)
        : clock_(clock), state_(std::move(state)) {}
    bool Start(int milliseconds, std::function<void()> elapsed) override {
      if (clock_.refuseNext_) {
        clock_.refuseNext_ = false;
        return false;
      }
      clock_.started_.push_back(milliseconds);
      *state_ = {clock_.now_ + milliseconds, true, std::move(elapsed)};
      return true;
    }
    void Stop() override { state_->running = false; }
    bool Running() const override { return state_->running; }

   private:
    ManualDelayClock& clock_;
    std::shared_ptr<State> state_;
  };

  int now_ = 0;
  bool refuseNext_ = false;
  std::vector<int> started_;
  std::vector<std::weak_ptr<State>> states_;
};

}  // namespace vorlix::help::testing
