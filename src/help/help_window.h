#pragma once
// THelpWindow: the pop-up that shows a control's help text for a TFormHelp. It hangs below the
// pointer as a frameless, top-most tool window without a task-bar entry, painted from a picture
// made beforehand. It closes on a left or middle click, any key, focus loss, the component's
// delay, a close request or the application's end; a right click offers "&Copy", which puts the
// text without its tags on the clipboard. A new pop-up replaces the one before it.

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "help/delay_clock.h"
#include "help/help_picture.h"

namespace vorlix::help {

class TFormHelp;

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCopyCommand = 13666;

  // Builds and shows the pop-up for `component` with `text` at the screen point `position`,
  // closing the one shown before. Raises std::runtime_error "Not enough timers available" when
  // the delay timer cannot run.
  static THelpWindow* Create(TFormHelp& component, const QString& text, QPoint position,
                             QWidget* helpControl);
  // The pop-up on show, none once it started closing.
  static THelpWindow* Current();

  ~THelpWindow() override;

  const QString& Text() const { return text_; }
  QWidget* HelpControl() const { return helpControl_; }
  TFormHelp* Component() const { return component_; }
  const HelpLayout& Layout() const { return layout_; }
  const QImage& Picture() const { return picture_; }
  // Whether the picture starts from the screen beneath (else from the window background).
  bool ShowsWhatLiesBeneath() const { return fromScreen_; }
  // Whether the pop-up is counting down to closing by itself.
  bool CountingDown() const { return delay_ != nullptr && delay_->Running(); }
  QMenu& CopyMenu() { return copyMenu_; }

  // Puts the text without its tags on the clipboard; the pop-up stays.
  void Copy();
  // Closes and frees the pop-up.
  void CloseHelp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  THelpWindow(TFormHelp& component, const QString& text, QWidget* helpControl);
  void Build(QPoint position);
  // What closing does, short of freeing the object.
  void TearDown();

  QPointer<TFormHelp> component_;
  QString text_;
  QPointer<QWidget> helpControl_;
  bool hadHelpControl_;
  char32_t tagOpen_;
  char32_t tagClose_;
  HelpLayout layout_;
  QImage picture_;
  bool fromScreen_ = false;
  QMenu copyMenu_;
  std::unique_ptr<DelayCountdown> delay_;
  bool closing_ = false;
};

}  // namespace vorlix::help
