#pragma once
// TFormHelp: context help for a form from the hints its controls already carry. The user asks
// what a control is for in three ways: help mode (from a tool button, a menu item or the caption
// button), then a click on the control; F1, for the control under the mouse pointer; or a
// right-click on a control, which offers a one-item "What's This?" menu. The control's long hint
// then shows in a THelpWindow at the pointer.

#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

#include "help/delay_clock.h"
#include "help/form_help_button.h"
#include "help/help_picture.h"

class QAction;

namespace vorlix::help {

class TFormHelp;

struct TFormHelpMargins {
  std::uint8_t Horizontal = 11;
  std::uint8_t Vertical = 7;
};

struct TTextStyle {
  bool PlainText = false;  // when on, mark-up is shown as it is written
  char32_t TagOpen = U'[';
  char32_t TagClose = U']';
};

// What starts help mode, and the right-click menu.
class TWhatsThis {
 public:
  explicit TWhatsThis(TFormHelp& help) : help_(help) {}

  // Whether the right-click menu is offered.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // A menu item whose click enters help mode.
  QAction* MenuItem() const { return menuItem_; }
  void SetMenuItem(QAction* item);
  // A tool button whose click enters help mode; it stays down while help mode lasts.
  QObject* ToolbarButton() const { return toolbarButton_; }
  void SetToolbarButton(QObject* button);
  TFormHelp& FormHelp() const { return help_; }

 private:
  TFormHelp& help_;
  bool enabled_ = false;
  QString caption_;
  QPointer<QAction> menuItem_;
  QPointer<QObject> toolbarButton_;
  QMetaObject::Connection menuItemClick_;
  QMetaObject::Connection toolbarButtonClick_;
};

class TFormHelp : public TFormHelpButton {
  Q_OBJECT
 public:
  static constexpr int kWhatsThisCommand = 13667;
  static constexpr int kMinPopupWidth = 40;
  static constexpr int kMaxPopupWidth = 1000;

  explicit TFormHelp(QObject* owner);
  ~TFormHelp() override;

  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  bool AdjustPopupWidth() const { return adjustPopupWidth_; }
  void SetAdjustPopupWidth(bool adjust) { adjustPopupWidth_ = adjust; }
  // Milliseconds after which the pop-up closes by itself; 0 keeps it until dismissed.
  quint16 DelayInterval() const { return delayInterval_; }
  void SetDelayInterval(quint16 milliseconds) { delayInterval_ = milliseconds; }
  // The clock that counts the delay down; empty: a QTimer.
  void SetDelayClock(DelayClock clock) { delayClock_ = std::move(clock); }
  std::unique_ptr<DelayCountdown> MakeDelayCountdown() const {
    return delayClock_ ? delayClock_() : TimerCountdown();
  }
  QColor Color() const { return color_; }
  void SetColor(QColor color) { color_ = color; }
  Qt::CursorShape Cursor() const { return cursor_; }
  void SetCursor(Qt::CursorShape cursor) { cursor_ = cursor; }
  // The cursor in help mode, kept as the caption button's CursorDown.
  Qt::CursorShape CursorHelp() const { return CaptionButton().CursorDown(); }
  void SetCursorHelp(Qt::CursorShape cursor) { CaptionButton().SetCursorDown(cursor); }
  const QFont& Font() const { return font_; }
  QColor FontColor() const { return fontColor_; }
  // Changing the font or its colour switches ParentFont off.
  void SetFont(const QFont& font);
  void SetFontColor(QColor color);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parentFont);
  TFormHelpMargins& Margins() { return margins_; }
  int PopupWidth() const { return popupWidth_; }
  // Raises std::out_of_range outside kMinPopupWidth to kMaxPopupWidth.
  void SetPopupWidth(int width);
  QColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(QColor color) { shadowColor_ = color; }
  bool ShowShadow() const { return showShadow_; }
  void SetShowShadow(bool show) { showShadow_ = show; }
  TTextStyle& TextStyle() { return textStyle_; }
  bool UseF1() const { return useF1_; }
  void SetUseF1(bool use) { useF1_ = use; }
  TWhatsThis& WhatsThis() { return whatsThis_; }

  // Fired when the caption button (or its menu entry) goes down.
  std::function<void(TFormHelp& sender)> OnButtonClick;
  // Fired before a pop-up for a control shows; may change the text.
  std::function<void(TFormHelp& sender, QWidget* helpControl, QString& helpMessage)> OnShow;
  // Fired when that pop-up closes.
  std::function<void(TFormHelp& sender, QWidget* helpControl)> OnHide;
  // Fired on a right-click before the menu shows: it may keep the menu away (showPopup) and
  // show the help at once instead (showHelp).
  std::function<void(TFormHelp& sender, QWidget* helpControl, QPoint mousePos, bool& showPopup,
                     bool& showHelp)>
      OnWhatsThis;

  // Starts help mode: the form takes all mouse input and shows the help cursor until it lets
  // the mouse go.
  void EnterHelpMode();
  bool InHelpMode() const { return helpMode_; }
  // Shows help for `control`, through the TFormHelp of its window when that has one; without a
  // control, for the control under the mouse pointer.
  void ShowHelpFor(QWidget* control = nullptr);
  // Shows `message` (the control's long hint when empty) at `position` ((-1, -1): the pointer).
  virtual void ShowHelp(QWidget* control, QPoint position, QString message);
  // The control whose help shows for a screen point, or none.
  QWidget* HelpControlAt(QPoint global) const;

  QWidget* RightClickedControl() const { return rightClicked_; }
  QMenu& WhatsThisMenu() { return *whatsThisMenu_; }
  bool InMenuLoop() const { return menuLoop_; }
  // Whether this component holds the process's right-button hook.
  bool OwnsMouseHook() const;
  // The pop-up settings as they stand.
  HelpAppearance Appearance() const;

  // A right-button release anywhere in the program, as the mouse hook sees it.
  void RightButtonUp(QPoint global);

  void BeforeHandler(QEvent* event, bool& handled) override;
  void AfterHandler(QEvent* event) override;

 protected:
  void BeforeClick() override;
  void BeforeSystemMenuClick() override;
  void ButtonDown() override;

 private:
  friend class TWhatsThis;

  void InstallMouseHook();
  void RemoveMouseHook();
  void RebuildWhatsThisMenu();
  void TriggerClicked(QObject* trigger);
  void ShowHelpAtPointer(QPoint pointer);
  void RightClickRequested(QPoint point);
  // Follows the form's hold on the mouse in help mode, as the widget toolkit would: the form
  // lets the mouse go when the button comes up, and losing it ends help mode.
  void TrackMouseHold(QEvent* event);
  void LetMouseGo();
  void CaptureChanged();
  void CopyOwnerFont();

  bool active_ = true;
  bool adjustPopupWidth_ = true;
  quint16 delayInterval_ = 0;
  DelayClock delayClock_;
  QColor color_ = QColor(255, 255, 238);
  Qt::CursorShape cursor_ = Qt::ArrowCursor;
  QFont font_;
  QColor fontColor_;
  bool parentFont_ = true;
  TFormHelpMargins margins_;
  int popupWidth_ = 300;
  QColor shadowColor_ = Qt::black;
  bool showShadow_ = true;
  TTextStyle textStyle_;
  bool useF1_ = true;
  TWhatsThis whatsThis_;

  bool helpMode_ = false;
  bool contextHelpCommand_ = false;
  bool menuLoop_ = false;
  bool fromSystemMenu_ = false;
  QPointer<QObject> pressedTrigger_;
  QPointer<QWidget> rightClicked_;
  std::unique_ptr<QMenu> whatsThisMenu_;
};

}  // namespace vorlix::help
