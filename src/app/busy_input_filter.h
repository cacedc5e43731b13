#pragma once
// While a long command lets the window's events be handled (a lookup reading many members), the
// user's input must not start another command in the middle of it. For as long as it lives this
// filter swallows the keys, clicks, context menus and shortcuts meant for the main window's
// widgets; it passes the wheel to the member table, whose scrolling starts nothing, the clicks to
// the one button that may stop the command (Exit), and turns Esc into a cancel request. Painting,
// resizing and other windows (a message box) are not touched.

#include <QObject>
#include <functional>

class QWidget;

namespace vorlix::app {

class BusyInputFilter : public QObject {
 public:
  // Installs itself on the application; `scrollable` (may be null) keeps its wheel events and
  // `clickable` (may be null) its clicks.
  BusyInputFilter(QWidget& window, QWidget* scrollable, QWidget* clickable,
                  std::function<void()> onEscape);
  ~BusyInputFilter() override;
  BusyInputFilter(const BusyInputFilter&) = delete;
  BusyInputFilter& operator=(const BusyInputFilter&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QWidget* scrollable_;
  QWidget* clickable_;
  std::function<void()> onEscape_;
};

}  // namespace vorlix::app
