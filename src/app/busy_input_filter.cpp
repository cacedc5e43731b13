#include "app/busy_input_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vorlix::app {

BusyInputFilter::BusyInputFilter(QWidget& window, QWidget* scrollable, QWidget* clickable,
                                 std::function<void()> onEscape)
    : window_(window),
      scrollable_(scrollable),
      clickable_(clickable),
      onEscape_(std::move(onEscape)) {
  QApplication::instance()->installEventFilter(this);
}

BusyInputFilter::~BusyInputFilter() {
  QApplication::instance()->removeEventFilter(this);
}

bool BusyInputFilter::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != &window_) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && onEscape_) onEscape_();
      return true;
    case QEvent::Wheel:
      return scrollable_ == nullptr ||
             (widget != scrollable_ && !scrollable_->isAncestorOf(widget));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
      return widget != clickable_;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace vorlix::app
