#pragma once
// TFormHelpButton: a hook component with an extra button for the owner's title bar, its tool-tip
// and an entry in the window menu (TfhACaptionButton, TfhSystemMenu hold their settings). The
// title bar belongs to the window manager here, so the button is never drawn and the window menu
// is a model that nothing shows: the button's states, clicks, settings and notifications are
// all there, driven through the title-bar input functions below.

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <functional>

#include "help/core/caption_button.h"
#include "help/core/system_menu.h"
#include "help/form_hook.h"

class QMenu;

namespace vorlix::help {

class TFormHelpButton;

enum TfhCaptionButtonStyle { cbsAuto, cbsWin9x, cbsWinXP };
enum TfhCaptionButtonXPStyleColor { xpcBlue, xpcGreen, xpcRed, xpcYellow, xpcBrown };

// The published settings of the caption button.
class TfhACaptionButton {
 public:
  explicit TfhACaptionButton(TFormHelpButton& button) : button_(button) {}

  Qt::CursorShape Cursor() const { return cursor_; }
  void SetCursor(Qt::CursorShape cursor) { cursor_ = cursor; }
  Qt::CursorShape CursorDown() const { return cursorDown_; }
  void SetCursorDown(Qt::CursorShape cursor) { cursorDown_ = cursor; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);
  TfhCaptionButtonStyle Style() const { return style_; }
  void SetStyle(TfhCaptionButtonStyle style) { style_ = style; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  TfhCaptionButtonXPStyleColor XPStyleColor() const { return xpStyleColor_; }
  void SetXPStyleColor(TfhCaptionButtonXPStyleColor color) { xpStyleColor_ = color; }

 private:
  TFormHelpButton& button_;
  Qt::CursorShape cursor_ = Qt::ArrowCursor;
  Qt::CursorShape cursorDown_ = Qt::ArrowCursor;
  bool enabled_ = true;
  QString hint_;
  bool showHint_ = true;
  TfhCaptionButtonStyle style_ = cbsAuto;
  bool visible_ = true;
  TfhCaptionButtonXPStyleColor xpStyleColor_ = xpcBlue;
};

// The caption button's entry in the owner's window menu. Changing a setting takes the entry out
// and puts it in again.
class TfhSystemMenu {
 public:
  explicit TfhSystemMenu(TFormHelpButton& button) : button_(button) {}

  bool ApplyToMenu() const { return entry_.applyToMenu; }
  void SetApplyToMenu(bool apply);
  QString Caption() const { return QString::fromStdString(entry_.caption); }
  void SetCaption(const QString& caption);
  quint16 Position() const { return static_cast<quint16>(entry_.position); }
  void SetPosition(quint16 position);
  unsigned Separators() const { return entry_.separators; }  // MenuSeparator flags
  void SetSeparators(unsigned separators);
  bool Inserted() const { return entry_.inserted; }

  void Insert();
  void Remove();

 private:
  template <class Change>
  void Reapply(Change&& change);

  TFormHelpButton& button_;
  SystemMenuEntry entry_;
};

class TFormHelpButton : public TfhCustomAppHookComponent, protected CaptionButtonEvents {
  Q_OBJECT
 public:
  explicit TFormHelpButton(QObject* owner);
  ~TFormHelpButton() override;

  TfhACaptionButton& CaptionButton() { return captionButton_; }
  const TfhACaptionButton& CaptionButton() const { return captionButton_; }
  TfhSystemMenu& SystemMenu() { return systemMenu_; }

  bool ToggleMode() const { return machine_.settings.toggle; }
  void SetToggleMode(bool toggle) { machine_.settings.toggle = toggle; }
  // The toggle state.
  bool Down() const { return machine_.IsDown(); }
  void SetDown(bool down) { machine_.SetDown(down); }
  bool DrawnDown() const { return machine_.IsDrawnDown(); }
  // The cursor over the button: CursorDown while it is drawn down.
  Qt::CursorShape CurrentCursor() const;

  QChar GlyphChar() const { return glyphChar_; }
  void SetGlyphChar(QChar glyph) { glyphChar_ = glyph; }
  const QFont& GlyphFont() const { return glyphFont_; }
  void SetGlyphFont(const QFont& font) { glyphFont_ = font; }
  QColor GlyphColor() const { return glyphColor_; }
  void SetGlyphColor(QColor color) { glyphColor_ = color; }
  QPoint GlyphOffset() const { return glyphOffset_; }
  void SetGlyphOffset(QPoint offset) { glyphOffset_ = offset; }
  const QPixmap& GlyphUp() const { return glyphUp_; }
  void SetGlyphUp(const QPixmap& glyph) { glyphUp_ = glyph; }
  const QPixmap& GlyphDown() const { return glyphDown_; }
  void SetGlyphDown(const QPixmap& glyph) { glyphDown_ = glyph; }
  bool DrawUpGlyph() const { return drawUpGlyph_; }
  void SetDrawUpGlyph(bool draw) { drawUpGlyph_ = draw; }
  bool DrawDownGlyph() const { return drawDownGlyph_; }
  void SetDrawDownGlyph(bool draw) { drawDownGlyph_ = draw; }
  QMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(QMenu* menu);
  int ButtonWidth() const { return buttonWidth_; }

  // The button's entry with the shared tool-tip: registered under an id, with the hint as its
  // text, active while the button is visible and enabled with a hint to show.
  struct ToolTipRecord {
    int id = 0;
    bool registered = false;
    QString text;
    bool active = false;
  };
  const ToolTipRecord& ToolTip() const { return toolTip_; }

  // Title-bar input.
  void CaptionButtonPressed() { machine_.Press(); }
  void CaptionPressedElsewhere() { machine_.PressElsewhere(); }
  void CaptionPointerOver(bool over) { machine_.PointerOver(over); }
  void CaptionButtonReleased() { machine_.Release(); }
  void CaptionDoubleClicked();
  // The window-menu entry was chosen.
  void SystemMenuCommand() { machine_.SystemMenuCommand(); }

  // The internal notification slots.
  std::function<void()> onBeforeClick;
  std::function<void()> onClick;
  std::function<void()> onBeforeSystemMenuClick;
  std::function<void()> onSystemMenuClick;
  std::function<void(bool down)> onChange;
  std::function<void()> onCaptionDoubleClick;

  void AfterHandler(QEvent* event) override;
  void HookReestablished() override;

 protected:
  // CaptionButtonEvents: the virtual operations of the button.
  void BeforeClick() override;
  void Click() override;
  void BeforeSystemMenuClick() override;
  void SystemMenuClick() override;
  void Changed(bool down) override;
  void ButtonDown() override {}
  void ButtonUp() override {}
  void Redraw() override {}
  void HoldMouse(bool hold) override;
  void ShowDropdown() override;
  void DropdownCommand() override;
  void CheckMenuEntry(bool checked) override;

  void CaptionTextChanged() override {}

 private:
  friend class TfhACaptionButton;
  friend class TfhSystemMenu;

  void RegisterToolTip();
  void UpdateToolTip();
  void UpdateButtonWidth();
  EntryState MenuEntryState() const;

  TfhACaptionButton captionButton_;
  TfhSystemMenu systemMenu_;
  CaptionButtonMachine machine_;
  QChar glyphChar_ = QLatin1Char('A');
  QFont glyphFont_;
  QColor glyphColor_;
  QPoint glyphOffset_;
  QPixmap glyphUp_;
  QPixmap glyphDown_;
  bool drawUpGlyph_ = true;
  bool drawDownGlyph_ = true;
  QPointer<QMenu> dropdownMenu_;
  int buttonWidth_ = 0;
  ToolTipRecord toolTip_;
};

}  // namespace vorlix::help
