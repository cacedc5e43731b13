#pragma once
// The hourglass cursor shown during directory work, and a guard that restores the default cursor
// on every path out of a scope, exceptions included.

namespace vorlix::core {

class IBusyCursor {
 public:
  virtual ~IBusyCursor() = default;
  // Shows the hourglass; calling it again while shown keeps it shown (no nesting count).
  virtual void Show() = 0;
  // Back to the default cursor.
  virtual void Restore() = 0;
};

class BusyCursorGuard {
 public:
  explicit BusyCursorGuard(IBusyCursor& cursor) : cursor_(cursor) { cursor_.Show(); }
  ~BusyCursorGuard() { cursor_.Restore(); }
  BusyCursorGuard(const BusyCursorGuard&) = delete;
  BusyCursorGuard& operator=(const BusyCursorGuard&) = delete;

 private:
  IBusyCursor& cursor_;
};

// A cursor that does nothing (the CLI has none).
class NoBusyCursor : public IBusyCursor {
 public:
  void Show() override {}
  void Restore() override {}
};

}  // namespace vorlix::core
