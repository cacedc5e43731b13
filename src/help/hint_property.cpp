#include "help/hint_property.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QWidget>
#include <optional>

#include "help/core/hint_choice.h"

namespace vorlix::help {

namespace {

// The standard buttons of a button box by the modal result they stand for.
int ModalResultOfStandardButton(QDialogButtonBox::StandardButton button) {
  switch (button) {
    case QDialogButtonBox::Ok:
    case QDialogButtonBox::Save:
      return mrOk;
    case QDialogButtonBox::Cancel:
    case QDialogButtonBox::Close:
    case QDialogButtonBox::Discard:
      return mrCancel;
    case QDialogButtonBox::Yes:
      return mrYes;
    case QDialogButtonBox::No:
      return mrNo;
    default:
      return mrNone;
  }
}

// The widgets of a window as the hint choice sees them: every control is owned by its window,
// and a window has no parent control.
struct WidgetTree {
  using Control = QWidget*;

  std::string Hint(QWidget* control) const { return HintOf(control).toStdString(); }
  int Tag(QWidget* control) const { return control->property(kTagProperty).toInt(); }
  QWidget* OwnerControl(QWidget* control) const {
    return control->isWindow() ? nullptr : control->window();
  }
  QWidget* Parent(QWidget* control) const {
    return control->isWindow() ? nullptr : control->parentWidget();
  }
  std::optional<PushButtonFacts> PushButton(QWidget* control) const {
    auto* button = qobject_cast<QPushButton*>(control);
    if (button == nullptr) return std::nullopt;
    PushButtonFacts facts;
    facts.caption = button->text().toStdString();
    const QVariant result = button->property(kModalResultProperty);
    if (result.isValid()) {
      facts.modalResult = result.toInt();
    } else if (const auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget())) {
      facts.modalResult = ModalResultOfStandardButton(box->standardButton(button));
    }
    return facts;
  }
  void SetHint(QWidget* control, const std::string& hint) const {
    help::SetHint(control, QString::fromStdString(hint));
  }
};

// The topmost visible child of `parent` at `local`, windows of their own left out.
QWidget* VisibleChildAt(const QWidget* parent, QPoint local) {
  const QObjectList& children = parent->children();
  for (auto it = children.crbegin(); it != children.crend(); ++it) {
    if (!(*it)->isWidgetType()) continue;
    auto* child = static_cast<QWidget*>(*it);
    if (child->isWindow() || !child->isVisible()) continue;
    if (child->geometry().contains(local)) return child;
  }
  return nullptr;
}

}  // namespace

QString HintOf(const QWidget* control) {
  return control->property(kHintProperty).toString();
}

void SetHint(QWidget* control, const QString& hint) {
  control->setProperty(kHintProperty, hint);
}

QString ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

QWidget* WidgetAtScreenPoint(QPoint global) {
  QWidget* widget = QApplication::topLevelAt(global);
  if (widget == nullptr) return nullptr;
  QPoint local = widget->mapFromGlobal(global);
  while (QWidget* child = VisibleChildAt(widget, local)) {
    local = child->mapFromParent(local);
    widget = child;
  }
  return widget;
}

QWidget* HelpControlFor(QWidget* widget) {
  WidgetTree tree;
  return help::ChooseHelpControl(tree, widget);
}

bool PopupAt(QPoint global) {
  if (const QWidget* popup = QApplication::activePopupWidget()) {
    if (popup->frameGeometry().contains(global)) return true;
  }
  const QWidget* window = QApplication::topLevelAt(global);
  if (window == nullptr) return false;
  const auto holdsPopup = [](const QString& name) {
    return name.contains(QLatin1String("popup"), Qt::CaseInsensitive);
  };
  return window->windowType() == Qt::Popup ||
         holdsPopup(QString::fromLatin1(window->metaObject()->className())) ||
         holdsPopup(window->objectName());
}

}  // namespace vorlix::help
