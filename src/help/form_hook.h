#pragma once
// TfhFormHookComponent: a component that sees every event of its owner widget without the
// widget's cooperation, once before the widget handles it (and may mark it handled, which skips
// the widget) and once after. Several such components on one widget form one chain, kept by
// TacHookList: the one added last sees an event first and last.

#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

#include "help/core/system_menu.h"

class QWidget;

namespace vorlix::help {

// Raised when a component is given an owner it cannot work with.
class InvalidOperation : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Shows an error raised inside a hook; the event goes on as if nothing happened. The default
// shows a message box titled with the application's name.
void SetHookErrorDisplay(std::function<void(const QString& message)> display);
void ShowHookError(const QString& message);

class TfhFormHookComponent : public QObject {
  Q_OBJECT
 public:
  // Hooks `owner` at once; raises InvalidOperation when it is not a widget.
  explicit TfhFormHookComponent(QObject* owner);
  ~TfhFormHookComponent() override;

  QWidget* Owner() const { return owner_; }
  // The owner when it is a window of its own, else none.
  QWidget* OwnerForm() const;
  bool Hooked() const { return hooked_; }
  // The owner window's menu, shared by every hook on that window.
  WindowMenu& OwnerWindowMenu();

  // Called before the owner handles an event; setting `handled` skips the owner's handling and
  // the hooks added before this one.
  virtual void BeforeHandler(QEvent* event, bool& handled);
  // Called after the owner (and the hooks added before this one) handled the event.
  virtual void AfterHandler(QEvent* event);
  // Called after the owner's native window was created anew.
  virtual void HookReestablished();

 protected:
  // Asks the window to draw its frame again.
  void ForceFrameRedraw();

 private:
  friend class TacHookList;
  QWidget* owner_;
  bool hooked_ = false;
};

// Tracks the owner's caption and tells its subclasses when it changed. The application-wide hook
// of the same family is not built: nothing in this program asks for it.
class TfhCustomAppHookComponent : public TfhFormHookComponent {
  Q_OBJECT
 public:
  explicit TfhCustomAppHookComponent(QObject* owner);

  // The owner's caption as last seen.
  const QString& Caption() const { return caption_; }

  void AfterHandler(QEvent* event) override;

 protected:
  // Runs from the event loop after the owner's caption changed.
  virtual void CaptionTextChanged() {}

 private:
  QString caption_;
};

}  // namespace vorlix::help
