#include "help/hook_list.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <exception>

#include "help/form_hook.h"

namespace vorlix::help {

namespace {

TacHookList* instance = nullptr;

// Runs one step of the chain; what it raises goes to the error display and no further.
template <class Step>
void Guarded(Step&& step) {
  try {
    step();
  } catch (const std::exception& error) {
    ShowHookError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowHookError(QStringLiteral("Unknown error"));
  }
}

}  // namespace

TacHookList* TacHookList::Instance() {
  return instance;
}

void TacHookList::Register(TfhFormHookComponent* component) {
  if (instance == nullptr) instance = new TacHookList;
  instance->freeWhenIdle_ = false;
  instance->Add(component);
}

void TacHookList::Unregister(TfhFormHookComponent* component) {
  if (instance == nullptr) return;
  instance->Remove(component);
  if (!instance->list_.empty()) return;
  // Freed now, or once the event being dispatched has passed every handler.
  if (instance->dispatchDepth_ > 0) {
    instance->freeWhenIdle_ = true;
  } else {
    delete instance;
    instance = nullptr;
  }
}

void TacHookList::Add(TfhFormHookComponent* component) {
  QWidget* widget = component->owner_;
  if (windows_.find(widget) == windows_.end()) {
    windows_[widget].winId = widget->internalWinId();
    widget->installEventFilter(this);
  }
  component->hooked_ = true;
  list_.push_back(component);
}

void TacHookList::Remove(TfhFormHookComponent* component) {
  const auto found = std::find(list_.begin(), list_.end(), component);
  if (found == list_.end()) return;
  list_.erase(found);
  component->hooked_ = false;
  QWidget* widget = component->owner_;
  if (ChainOf(widget).empty()) {
    widget->removeEventFilter(this);
    windows_.erase(widget);
  }
}

bool TacHookList::Contains(const TfhFormHookComponent* component) const {
  return std::find(list_.begin(), list_.end(), component) != list_.end();
}

std::vector<TfhFormHookComponent*> TacHookList::ChainOf(const QWidget* widget) const {
  std::vector<TfhFormHookComponent*> chain;
  for (TfhFormHookComponent* component : list_) {
    if (component->owner_ == widget) chain.push_back(component);
  }
  return chain;
}

WindowMenu& TacHookList::SystemMenuOf(const QWidget* widget) {
  return windows_[widget].menu;
}

bool TacHookList::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType() || windows_.find(static_cast<QWidget*>(watched)) == windows_.end()) {
    return false;
  }
  auto* widget = static_cast<QWidget*>(watched);
  Chain chain;
  for (TfhFormHookComponent* component : ChainOf(widget)) chain.emplace_back(component);
  ++dispatchDepth_;
  Call(widget, chain, chain.size(), event);
  if (event->type() == QEvent::WinIdChange) NoteWindowId(widget);
  if (--dispatchDepth_ == 0 && freeWhenIdle_) {
    instance = nullptr;
    delete this;
  }
  // The widget has handled the event inside the chain already.
  return true;
}

void TacHookList::Call(QWidget* widget, const Chain& chain, size_t count, QEvent* event) {
  if (count == 0) {
    // QObject::event is public: the widget's own handling, as the application would call it.
    // Filters that were put on the widget before its first hook are passed over.
    Guarded([&] { static_cast<QObject*>(widget)->event(event); });
    return;
  }
  TfhFormHookComponent* component = chain[count - 1];
  if (component == nullptr || !Contains(component)) {
    Call(widget, chain, count - 1, event);
    return;
  }
  bool handled = false;
  Guarded([&] { component->BeforeHandler(event, handled); });
  if (!handled) Call(widget, chain, count - 1, event);
  if (chain[count - 1] != nullptr && Contains(component)) {
    Guarded([&] { component->AfterHandler(event); });
  }
}

void TacHookList::NoteWindowId(QWidget* widget) {
  const auto found = windows_.find(widget);
  if (found == windows_.end()) return;
  const quintptr id = widget->internalWinId();
  if (id == 0) return;
  const bool recreated = found->second.winId != 0 && found->second.winId != id;
  found->second.winId = id;
  if (recreated) {
    QPointer<QWidget> guarded(widget);
    QMetaObject::invokeMethod(
        this,
        [this, guarded] {
          if (guarded) Rehook(guarded);
        },
        Qt::QueuedConnection);
  }
}

void TacHookList::Rehook(QWidget* widget) {
  Chain chain;
  for (TfhFormHookComponent* component : ChainOf(widget)) chain.emplace_back(component);
  for (const QPointer<TfhFormHookComponent>& component : chain) {
    if (component != nullptr && Contains(component)) {
      Guarded([&] { component->HookReestablished(); });
    }
  }
}

}  // namespace vorlix::help
