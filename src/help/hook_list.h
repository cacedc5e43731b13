#pragma once
// TacHookList: the one registry of the live hook components. It filters the events of every
// hooked widget and passes each through that widget's chain: the component added last runs its
// before-handler first, then the one added before it, down to the widget itself; the
// after-handlers run in the opposite order. Components can so be added and removed in any order.
// When a widget's native window is created anew the components on it are told so, first to last.

#include <QObject>
#include <QPointer>
#include <map>
#include <vector>

#include "help/core/system_menu.h"

class QWidget;

namespace vorlix::help {

class TfhFormHookComponent;

class TacHookList : public QObject {
  Q_OBJECT
 public:
  // The registry while at least one component lives, else none.
  static TacHookList* Instance();

  // Hooks the component's owner; the registry is created with the first component.
  static void Register(TfhFormHookComponent* component);
  // Unhooks; the registry is freed with the last component.
  static void Unregister(TfhFormHookComponent* component);

  bool Contains(const TfhFormHookComponent* component) const;
  // The components on `widget` in the order they were added.
  std::vector<TfhFormHookComponent*> ChainOf(const QWidget* widget) const;
  WindowMenu& SystemMenuOf(const QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct HookedWindow {
    quintptr winId = 0;  // the native window last seen
    WindowMenu menu = WindowMenu::Standard();
  };
  using Chain = std::vector<QPointer<TfhFormHookComponent>>;

  TacHookList() = default;
  void Add(TfhFormHookComponent* component);
  void Remove(TfhFormHookComponent* component);
  // Runs the procedure of chain[count - 1], whose next procedure is that of chain[count - 2],
  // ending in the widget's own handling.
  void Call(QWidget* widget, const Chain& chain, size_t count, QEvent* event);
  void NoteWindowId(QWidget* widget);
  void Rehook(QWidget* widget);

  std::vector<TfhFormHookComponent*> list_;
  std::map<const QWidget*, HookedWindow> windows_;
  int dispatchDepth_ = 0;
  bool freeWhenIdle_ = false;
};

}  // namespace vorlix::help
