#include "help/delay_clock.h"

#include <QTimer>

namespace vorlix::help {

namespace {

class QtTimerCountdown : public DelayCountdown {
 public:
  QtTimerCountdown() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
      // The call may stop the countdown, or end the pop-up that owns it.
      const std::function<void()> elapsed = elapsed_;
      if (elapsed) elapsed();
    });
  }
  bool Start(int milliseconds, std::function<void()> elapsed) override {
    elapsed_ = std::move(elapsed);
    timer_.start(milliseconds);
    return timer_.isActive();
  }
  void Stop() override { timer_.stop(); }
  bool Running() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> elapsed_;
};

}  // namespace

std::unique_ptr<DelayCountdown> TimerCountdown() {
  return std::make_unique<QtTimerCountdown>();
}

}  // namespace vorlix::help
