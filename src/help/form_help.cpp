#include "help/form_help.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QWhatsThis>
#include <stdexcept>

#include "help/help_events.h"
#include "help/help_window.h"
#include "help/hint_property.h"
#include "platform/system_info.h"

namespace vorlix::help {

namespace {

// The process's one right-button hook: an application-wide filter that sees every right-button
// release once, at the window it happens in, before any widget does.
class RightButtonHook : public QObject {
 public:
  explicit RightButtonHook(TFormHelp& owner) : owner_(owner) { qApp->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonRelease || !watched->isWindowType()) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton) return false;
    try {
      owner_.RightButtonUp(mouse->globalPosition().toPoint());
    } catch (...) {
      // Whatever goes wrong here, the release still reaches its window.
    }
    return false;
  }

 private:
  TFormHelp& owner_;
};

struct MouseHook {
  TFormHelp* owner = nullptr;
  std::unique_ptr<RightButtonHook> filter;
};

MouseHook& Hook() {
  static MouseHook hook;
  return hook;
}

// Sets a published bool property by name; false when there is none of that name and kind.
bool WriteBoolProperty(QObject* object, const char* name, bool value) {
  const QMetaObject* meta = object->metaObject();
  const int index = meta->indexOfProperty(name);
  if (index < 0) return false;
  const QMetaProperty property = meta->property(index);
  if (property.metaType().id() != QMetaType::Bool || !property.isWritable()) return false;
  return property.write(object, value);
}

// A trigger's lasting "down" look: a button's checked state, else its down state.
void SetTriggerDown(QObject* trigger, bool down) {
  if (!WriteBoolProperty(trigger, "checked", down)) WriteBoolProperty(trigger, "down", down);
}

bool HasOwnContextMenu(const QWidget* control) {
  return control->contextMenuPolicy() == Qt::CustomContextMenu ||
         (control->contextMenuPolicy() == Qt::ActionsContextMenu && !control->actions().isEmpty());
}

// The TFormHelp of the window that `control` belongs to, if that has one.
TFormHelp* FormHelpOfWindow(const QWidget* control) {
  return control->window()->findChild<TFormHelp*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace

void TWhatsThis::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled) {
    help_.InstallMouseHook();
  } else {
    help_.RemoveMouseHook();
  }
}

void TWhatsThis::SetCaption(const QString& caption) {
  caption_ = caption;
  help_.RebuildWhatsThisMenu();
}

void TWhatsThis::SetMenuItem(QAction* item) {
  QObject::disconnect(menuItemClick_);
  menuItem_ = item;
  if (item == nullptr) return;
  menuItemClick_ =
      QObject::connect(item, &QAction::triggered, &help_, [this] { help_.EnterHelpMode(); });
}

void TWhatsThis::SetToolbarButton(QObject* button) {
  QObject::disconnect(toolbarButtonClick_);
  toolbarButton_ = button;
  if (button == nullptr) return;
  // A button that stays down when clicked and comes up again on its own.
  WriteBoolProperty(button, "checkable", true);
  WriteBoolProperty(button, "autoExclusive", false);
  const auto clicked = [this, button] { help_.TriggerClicked(button); };
  if (auto* pushable = qobject_cast<QAbstractButton*>(button)) {
    toolbarButtonClick_ = QObject::connect(pushable, &QAbstractButton::clicked, &help_, clicked);
  } else if (auto* action = qobject_cast<QAction*>(button)) {
    toolbarButtonClick_ = QObject::connect(action, &QAction::triggered, &help_, clicked);
  }
}

TFormHelp::TFormHelp(QObject* owner)
    : TFormHelpButton(owner), whatsThis_(*this), whatsThisMenu_(std::make_unique<QMenu>()) {
  SetToggleMode(true);
  CaptionButton().SetCursorDown(Qt::WhatsThisCursor);
  CaptionButton().SetHint(QStringLiteral("Help"));
  CaptionButton().SetVisible(false);
  SetGlyphChar(QChar(115));
  SetGlyphFont(QFont(QStringLiteral("Marlett")));
  const platform::OsVersion os = platform::QueryOsVersion();
  SetGlyphOffset(QPoint(os.platformId == 2 && os.major >= 3 && os.major <= 5 ? 1 : 0, 1));
  SystemMenu().SetCaption(QStringLiteral("&What's This?"));
  SystemMenu().SetPosition(static_cast<quint16>(OwnerWindowMenu().Count()));
  SystemMenu().SetSeparators(seBefore);
  CopyOwnerFont();

  connect(whatsThisMenu_.get(), &QMenu::aboutToShow, this, [this] { menuLoop_ = true; });
  connect(whatsThisMenu_.get(), &QMenu::aboutToHide, this, [this] { menuLoop_ = false; });
  whatsThis_.SetCaption(QStringLiteral("&What's This?"));
  whatsThis_.SetEnabled(true);
}

TFormHelp::~TFormHelp() {
  whatsThis_.SetEnabled(false);
  if (THelpWindow* popup = THelpWindow::Current(); popup != nullptr && popup->Component() == this) {
    popup->CloseHelp();
  }
  if (helpMode_ && QWidget::mouseGrabber() == Owner()) Owner()->releaseMouse();
}

void TFormHelp::SetFont(const QFont& font) {
  font_ = font;
  parentFont_ = false;
}

void TFormHelp::SetFontColor(QColor color) {
  fontColor_ = color;
  parentFont_ = false;
}

void TFormHelp::SetParentFont(bool parentFont) {
  parentFont_ = parentFont;
  if (parentFont_ && OwnerForm() != nullptr) CopyOwnerFont();
}

void TFormHelp::SetPopupWidth(int width) {
  if (width < kMinPopupWidth || width > kMaxPopupWidth) {
    throw std::out_of_range("PopupWidth must be from 40 to 1000, not " + std::to_string(width));
  }
  popupWidth_ = width;
}

bool TFormHelp::OwnsMouseHook() const {
  return Hook().owner == this;
}

HelpAppearance TFormHelp::Appearance() const {
  HelpAppearance appearance;
  appearance.font = font_;
  appearance.fontColor = fontColor_;
  appearance.color = color_;
  appearance.shadowColor = shadowColor_;
  appearance.showShadow = showShadow_;
  appearance.popupWidth = popupWidth_;
  appearance.adjustPopupWidth = adjustPopupWidth_;
  appearance.marginH = margins_.Horizontal;
  appearance.marginV = margins_.Vertical;
  appearance.markup = {textStyle_.PlainText, textStyle_.TagOpen, textStyle_.TagClose};
  return appearance;
}

void TFormHelp::EnterHelpMode() {
  contextHelpCommand_ = false;
  Owner()->grabMouse(QCursor(CursorHelp()));
  helpMode_ = true;
}

void TFormHelp::ShowHelpFor(QWidget* control) {
  if (control == nullptr) {
    ShowHelpAtPointer(QCursor::pos());
    return;
  }
  TFormHelp* help = FormHelpOfWindow(control);
  (help != nullptr ? help : this)->ShowHelp(control, QPoint(-1, -1), QString());
}

void TFormHelp::ShowHelp(QWidget* control, QPoint position, QString message) {
  if (position == QPoint(-1, -1)) position = QCursor::pos();
  if (message.isEmpty() && control != nullptr) message = LongHint(HintOf(control));
  if (parentFont_ && OwnerForm() != nullptr) CopyOwnerFont();
  THelpWindow::Create(*this, message, position, control);
}

QWidget* TFormHelp::HelpControlAt(QPoint global) const {
  return HelpControlFor(WidgetAtScreenPoint(global));
}

void TFormHelp::ShowHelpAtPointer(QPoint pointer) {
  QWidget* control = HelpControlAt(pointer);
  if (control == nullptr) return;
  TFormHelp* help = FormHelpOfWindow(control);
  (help != nullptr ? help : this)->ShowHelp(control, pointer, QString());
}

void TFormHelp::RightButtonUp(QPoint global) {
  if (menuLoop_ || QApplication::activePopupWidget() != nullptr) return;
  QWidget* control = HelpControlAt(global);
  rightClicked_ = control;
  if (control == nullptr || HasOwnContextMenu(control) ||
      control->property(kMouseHandlersProperty).toBool()) {
    return;
  }
  QCoreApplication::postEvent(Owner(), new PointEvent(kRightClickRequestEvent, global));
}

void TFormHelp::RightClickRequested(QPoint point) {
  const QPointer<QWidget> control = rightClicked_;
  if (control == nullptr) return;
  for (const QPoint offset : {QPoint(6, 6), QPoint(-6, -6), QPoint(6, -6), QPoint(-6, 6)}) {
    if (PopupAt(point + offset)) return;
  }
  bool showPopup = true;
  bool showHelp = false;
  if (OnWhatsThis) OnWhatsThis(*this, control, point, showPopup, showHelp);
  if (showPopup) {
    whatsThisMenu_->popup(point);
  } else if (showHelp && control != nullptr) {
    ShowHelpFor(control);
  }
}

void TFormHelp::RebuildWhatsThisMenu() {
  whatsThisMenu_->clear();
  QAction* item = whatsThisMenu_->addAction(whatsThis_.Caption());
  item->setData(kWhatsThisCommand);
  // The command reaches the form once the menu has closed.
  connect(item, &QAction::triggered, this, [this] {
    QCoreApplication::postEvent(Owner(), new MenuCommandEvent(kWhatsThisCommand));
  });
}

void TFormHelp::TriggerClicked(QObject* trigger) {
  SetTriggerDown(trigger, true);
  pressedTrigger_ = trigger;
  if (trigger->isWidgetType()) static_cast<QWidget*>(trigger)->repaint();
  EnterHelpMode();
}

void TFormHelp::InstallMouseHook() {
  MouseHook& hook = Hook();
  if (hook.owner != nullptr) return;
  hook.owner = this;
  hook.filter = std::make_unique<RightButtonHook>(*this);
}

void TFormHelp::RemoveMouseHook() {
  MouseHook& hook = Hook();
  if (hook.owner != this) return;
  hook.filter.reset();
  hook.owner = nullptr;
}

void TFormHelp::BeforeHandler(QEvent* event, bool& handled) {
  TFormHelpButton::BeforeHandler(event, handled);
  // The window's own context-help command: our help mode instead of the toolkit's.
  if (event->type() == QEvent::EnterWhatsThisMode && Owner()->isActiveWindow()) {
    EnterHelpMode();
    contextHelpCommand_ = true;
    handled = true;
    QMetaObject::invokeMethod(
        qApp, [] { QWhatsThis::leaveWhatsThisMode(); }, Qt::QueuedConnection);
  }
}

void TFormHelp::AfterHandler(QEvent* event) {
  TFormHelpButton::AfterHandler(event);
  // Letting the mouse go is the form's own business and happens even while help is inactive.
  if (helpMode_) TrackMouseHold(event);
  if (!active_) return;
  switch (static_cast<int>(event->type())) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (helpMode_ && mouse->button() == Qt::LeftButton) {
        ShowHelpAtPointer(mouse->globalPosition().toPoint());
      }
      break;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers modifiers =
          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
      if (key->key() == Qt::Key_F1 && !(key->modifiers() & modifiers) && useF1_) {
        SetDown(false);
        ShowHelpFor(nullptr);
        key->accept();
      }
      break;
    }
    case kRightClickRequestEvent:
      RightClickRequested(static_cast<PointEvent*>(event)->Point());
      break;
    case kMenuCommandEvent:
      if (static_cast<MenuCommandEvent*>(event)->Command() == kWhatsThisCommand &&
          rightClicked_ != nullptr) {
        ShowHelpFor(rightClicked_);
      }
      break;
    default:
      break;
  }
}

void TFormHelp::TrackMouseHold(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case kCaptureChangedEvent:
      CaptureChanged();
      break;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) LetMouseGo();
      break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
      if (QGuiApplication::mouseButtons() == Qt::NoButton) LetMouseGo();
      break;
    default:
      if (QWidget::mouseGrabber() != Owner()) LetMouseGo();
      break;
  }
}

void TFormHelp::LetMouseGo() {
  if (QWidget::mouseGrabber() == Owner()) Owner()->releaseMouse();
  QEvent changed(kCaptureChangedEvent);
  QCoreApplication::sendEvent(Owner(), &changed);
}

void TFormHelp::CaptureChanged() {
  if (contextHelpCommand_) ForceFrameRedraw();
  if (pressedTrigger_ != nullptr) SetTriggerDown(pressedTrigger_, false);
  pressedTrigger_ = nullptr;
  if (CaptionButton().Visible() && Down()) SetDown(false);
  helpMode_ = false;
  contextHelpCommand_ = false;
}

void TFormHelp::BeforeClick() {
  TFormHelpButton::BeforeClick();
  fromSystemMenu_ = false;
}

void TFormHelp::BeforeSystemMenuClick() {
  TFormHelpButton::BeforeSystemMenuClick();
  fromSystemMenu_ = true;
}

void TFormHelp::ButtonDown() {
  TFormHelpButton::ButtonDown();
  if (OnButtonClick) OnButtonClick(*this);
  if (fromSystemMenu_) {
    fromSystemMenu_ = false;
    SetDown(false);
  }
  if (active_) EnterHelpMode();
}

void TFormHelp::CopyOwnerFont() {
  font_ = Owner()->font();
  fontColor_ = Owner()->palette().color(QPalette::WindowText);
}

}  // namespace vorlix::help
