#include "help/form_hook.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>

#include "help/hook_list.h"

namespace vorlix::help {

namespace {

std::function<void(const QString&)>& ErrorDisplay() {
  static std::function<void(const QString&)> display;
  return display;
}

// The owner as a widget, checked before the component exists.
QWidget* RequireWidget(QObject* owner) {
  auto* widget = qobject_cast<QWidget*>(owner);
  if (widget == nullptr) {
    throw InvalidOperation("Owner must be TWinControl or its descendant!");
  }
  return widget;
}

}  // namespace

void SetHookErrorDisplay(std::function<void(const QString& message)> display) {
  ErrorDisplay() = std::move(display);
}

void ShowHookError(const QString& message) {
  if (ErrorDisplay()) {
    ErrorDisplay()(message);
  } else {
    QMessageBox::critical(nullptr, QApplication::applicationName(), message);
  }
}

TfhFormHookComponent::TfhFormHookComponent(QObject* owner)
    : QObject(RequireWidget(owner)), owner_(static_cast<QWidget*>(owner)) {
  TacHookList::Register(this);
}

TfhFormHookComponent::~TfhFormHookComponent() {
  TacHookList::Unregister(this);
}

QWidget* TfhFormHookComponent::OwnerForm() const {
  return owner_->isWindow() ? owner_ : nullptr;
}

WindowMenu& TfhFormHookComponent::OwnerWindowMenu() {
  return TacHookList::Instance()->SystemMenuOf(owner_);
}

void TfhFormHookComponent::BeforeHandler(QEvent*, bool&) {}

void TfhFormHookComponent::AfterHandler(QEvent*) {}

void TfhFormHookComponent::HookReestablished() {}

void TfhFormHookComponent::ForceFrameRedraw() {
  // The frame belongs to the window manager; the most we can ask for is a new paint.
  owner_->update();
}

TfhCustomAppHookComponent::TfhCustomAppHookComponent(QObject* owner)
    : TfhFormHookComponent(owner), caption_(Owner()->windowTitle()) {}

void TfhCustomAppHookComponent::AfterHandler(QEvent* event) {
  TfhFormHookComponent::AfterHandler(event);
  if (event->type() != QEvent::WindowTitleChange) return;
  const QString caption = Owner()->windowTitle();
  if (caption == caption_) return;
  caption_ = caption;
  QMetaObject::invokeMethod(
      this, [this] { CaptionTextChanged(); }, Qt::QueuedConnection);
}

}  // namespace vorlix::help
