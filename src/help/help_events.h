#pragma once
// The events that the context help posts or sends to its form. They pass through the form's hook
// chain like every other event of the form, so each hook sees them before and after the form.

#include <QEvent>
#include <QPoint>

namespace vorlix::help {

// A right-button release on a control that may get the "What's This?" menu, at a screen point.
inline constexpr auto kRightClickRequestEvent = static_cast<QEvent::Type>(QEvent::User + 0x3A61);
// A command chosen in one of the help's menus.
inline constexpr auto kMenuCommandEvent = static_cast<QEvent::Type>(QEvent::User + 0x0111);
// The form let go of the mouse or lost it to another grabber.
inline constexpr auto kCaptureChangedEvent = static_cast<QEvent::Type>(QEvent::User + 0x0215);
// Asks the caption button to put its window-menu entry in again.
inline constexpr auto kReinsertMenuEntryEvent = static_cast<QEvent::Type>(QEvent::User + 0x3A60);

class PointEvent : public QEvent {
 public:
  PointEvent(QEvent::Type type, QPoint point) : QEvent(type), point_(point) {}
  QPoint Point() const { return point_; }

 private:
  QPoint point_;
};

class MenuCommandEvent : public QEvent {
 public:
  explicit MenuCommandEvent(int command) : QEvent(kMenuCommandEvent), command_(command) {}
  int Command() const { return command_; }

 private:
  int command_;
};

}  // namespace vorlix::help
