#include "help/form_help_button.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QStyle>
#include <QWidget>

#include "help/help_events.h"

namespace vorlix::help {

namespace {

int nextToolId = 1;

}  // namespace

void TfhACaptionButton::SetEnabled(bool enabled) {
  enabled_ = enabled;
  button_.machine_.settings.enabled = enabled;
  if (WindowMenuItem* item = button_.OwnerWindowMenu().Find(kCaptionButtonCommand)) {
    item->greyed = !enabled;
  }
  button_.UpdateToolTip();
}

void TfhACaptionButton::SetHint(const QString& hint) {
  hint_ = hint;
  button_.UpdateToolTip();
}

void TfhACaptionButton::SetShowHint(bool show) {
  showHint_ = show;
  button_.UpdateToolTip();
}

void TfhACaptionButton::SetVisible(bool visible) {
  visible_ = visible;
  button_.machine_.settings.visible = visible;
  button_.UpdateToolTip();
}

template <class Change>
void TfhSystemMenu::Reapply(Change&& change) {
  Remove();
  change();
  Insert();
}

void TfhSystemMenu::SetApplyToMenu(bool apply) {
  Reapply([&] { entry_.applyToMenu = apply; });
}

void TfhSystemMenu::SetCaption(const QString& caption) {
  Reapply([&] { entry_.caption = caption.toStdString(); });
}

void TfhSystemMenu::SetPosition(quint16 position) {
  Reapply([&] { entry_.position = position; });
}

void TfhSystemMenu::SetSeparators(unsigned separators) {
  Reapply([&] { entry_.separators = separators; });
}

void TfhSystemMenu::Insert() {
  InsertMenuEntry(button_.OwnerWindowMenu(), entry_, button_.MenuEntryState());
}

void TfhSystemMenu::Remove() {
  RemoveMenuEntry(button_.OwnerWindowMenu(), entry_);
}

TFormHelpButton::TFormHelpButton(QObject* owner)
    : TfhCustomAppHookComponent(owner),
      captionButton_(*this),
      systemMenu_(*this),
      machine_(*this),
      glyphFont_(QStringLiteral("Arial")),
      glyphColor_(QApplication::palette().color(QPalette::ButtonText)) {
  UpdateButtonWidth();
  RegisterToolTip();
}

TFormHelpButton::~TFormHelpButton() {
  systemMenu_.Remove();
}

Qt::CursorShape TFormHelpButton::CurrentCursor() const {
  return DrawnDown() ? captionButton_.CursorDown() : captionButton_.Cursor();
}

void TFormHelpButton::SetDropdownMenu(QMenu* menu) {
  dropdownMenu_ = menu;
  machine_.settings.hasDropdown = menu != nullptr;
}

void TFormHelpButton::CaptionDoubleClicked() {
  if (onCaptionDoubleClick) onCaptionDoubleClick();
}

void TFormHelpButton::AfterHandler(QEvent* event) {
  TfhCustomAppHookComponent::AfterHandler(event);
  if (event->type() == kReinsertMenuEntryEvent) {
    systemMenu_.Remove();
    systemMenu_.Insert();
  }
}

void TFormHelpButton::HookReestablished() {
  TfhCustomAppHookComponent::HookReestablished();
  RegisterToolTip();
  UpdateButtonWidth();
  systemMenu_.Remove();
  systemMenu_.Insert();
}

void TFormHelpButton::BeforeClick() {
  if (onBeforeClick) onBeforeClick();
}

void TFormHelpButton::Click() {
  if (onClick) onClick();
}

void TFormHelpButton::BeforeSystemMenuClick() {
  if (onBeforeSystemMenuClick) onBeforeSystemMenuClick();
}

void TFormHelpButton::SystemMenuClick() {
  if (onSystemMenuClick) onSystemMenuClick();
}

void TFormHelpButton::Changed(bool down) {
  if (onChange) onChange(down);
}

void TFormHelpButton::HoldMouse(bool hold) {
  if (hold) {
    Owner()->grabMouse(QCursor(captionButton_.CursorDown()));
  } else if (QWidget::mouseGrabber() == Owner()) {
    Owner()->releaseMouse();
  }
}

void TFormHelpButton::ShowDropdown() {
  if (dropdownMenu_ == nullptr) return;
  // Below the left edge of where the button would stand, at the window's top right.
  dropdownMenu_->popup(Owner()->mapToGlobal(QPoint(Owner()->width() - buttonWidth_, 0)));
}

void TFormHelpButton::DropdownCommand() {
  if (dropdownMenu_ == nullptr) return;
  for (QAction* action : dropdownMenu_->actions()) {
    if (action->data().toInt() == kCaptionButtonCommand) {
      action->trigger();
      return;
    }
  }
}

void TFormHelpButton::CheckMenuEntry(bool checked) {
  if (WindowMenuItem* item = OwnerWindowMenu().Find(kCaptionButtonCommand)) item->checked = checked;
}

void TFormHelpButton::RegisterToolTip() {
  toolTip_.id = nextToolId++;
  toolTip_.registered = true;
  UpdateToolTip();
}

void TFormHelpButton::UpdateToolTip() {
  toolTip_.text = captionButton_.Hint();
  toolTip_.active = captionButton_.Visible() && captionButton_.Enabled() &&
                    captionButton_.ShowHint() && !captionButton_.Hint().isEmpty();
}

void TFormHelpButton::UpdateButtonWidth() {
  buttonWidth_ = Owner()->style()->pixelMetric(QStyle::PM_TitleBarButtonSize, nullptr, Owner());
}

EntryState TFormHelpButton::MenuEntryState() const {
  return {captionButton_.Hint().toStdString(), captionButton_.Enabled(), machine_.IsDown()};
}

}  // namespace vorlix::help
