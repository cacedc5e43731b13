#include "help/help_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <stdexcept>

#include "help/core/tag_removal.h"
#include "help/form_help.h"

namespace vorlix::help {

namespace {

QPointer<THelpWindow>& CurrentPopup() {
  static QPointer<THelpWindow> current;
  return current;
}

// What lies on the screen where the pop-up will stand, when the platform can tell.
QPixmap ScreenBeneath(QScreen* screen, const QRect& area) {
  const QRect onScreen = area.translated(-screen->geometry().topLeft());
  QPixmap grab = screen->grabWindow(0, onScreen.x(), onScreen.y(), area.width(), area.height());
  if (grab.isNull() || grab.deviceIndependentSize().toSize() != area.size()) return QPixmap();
  return grab;
}

}  // namespace

THelpWindow* THelpWindow::Create(TFormHelp& component, const QString& text, QPoint position,
                                 QWidget* helpControl) {
  if (THelpWindow* previous = Current()) previous->CloseHelp();
  auto* popup = new THelpWindow(component, text, helpControl);
  CurrentPopup() = popup;
  popup->Build(position);
  return popup;
}

THelpWindow* THelpWindow::Current() {
  return CurrentPopup();
}

THelpWindow::THelpWindow(TFormHelp& component, const QString& text, QWidget* helpControl)
    : QWidget(component.Owner()->window(),
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      component_(&component),
      text_(text),
      helpControl_(helpControl),
      hadHelpControl_(helpControl != nullptr),
      tagOpen_(component.TextStyle().TagOpen),
      tagClose_(component.TextStyle().TagClose) {
  setObjectName(QStringLiteral("TFormHelpPopup"));
  setFocusPolicy(Qt::StrongFocus);
  if (helpControl != nullptr && component.OnShow) component.OnShow(component, helpControl, text_);
  // Ordinary tool-tips stay away while the pop-up shows.
  QToolTip::hideText();
  qApp->installEventFilter(this);

  QAction* copy = copyMenu_.addAction(QStringLiteral("&Copy"));
  copy->setData(kCopyCommand);
  connect(copy, &QAction::triggered, this, &THelpWindow::Copy);
  connect(qApp, &QCoreApplication::aboutToQuit, this, &THelpWindow::CloseHelp);
}

void THelpWindow::Build(QPoint position) {
  const HelpAppearance appearance = component_->Appearance();
  QScreen* screen = QGuiApplication::screenAt(position);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  layout_ = LayOutHelp(text_, appearance, position, screen->geometry());
  const PopupPlacement& placement = layout_.placement;
  const QRect area(placement.topLeft.x, placement.topLeft.y, placement.width, placement.height);
  const QPixmap beneath = ScreenBeneath(screen, area);
  fromScreen_ = !beneath.isNull();
  picture_ = PaintHelp(layout_, appearance, beneath);

  setCursor(component_->Cursor());
  setFixedSize(area.size());
  move(area.topLeft());
  show();
  activateWindow();
  setFocus(Qt::ActiveWindowFocusReason);

  if (component_->DelayInterval() != 0) {
    delay_ = component_->MakeDelayCountdown();
    if (!delay_->Start(component_->DelayInterval(), [this] { CloseHelp(); })) {
      CloseHelp();
      throw std::runtime_error("Not enough timers available");
    }
  }
}

THelpWindow::~THelpWindow() {
  TearDown();
}

void THelpWindow::Copy() {
  const std::u32string plain = RemoveTags(text_.toStdU32String(), tagOpen_, tagClose_);
  QGuiApplication::clipboard()->setText(QString::fromStdU32String(plain));
}

void THelpWindow::CloseHelp() {
  if (closing_) return;
  TearDown();
  deleteLater();
}

void THelpWindow::TearDown() {
  if (closing_) return;
  // From here on, events that reach the pop-up get the default handling only.
  closing_ = true;
  if (CurrentPopup() == this) CurrentPopup() = nullptr;
  if (delay_ != nullptr) delay_->Stop();
  qApp->removeEventFilter(this);
  hide();
  if (hadHelpControl_ && component_ != nullptr && component_->OnHide) {
    component_->OnHide(*component_, helpControl_);
  }
}

bool THelpWindow::eventFilter(QObject*, QEvent* event) {
  return event->type() == QEvent::ToolTip;
}

void THelpWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void THelpWindow::mousePressEvent(QMouseEvent* event) {
  if (closing_) return QWidget::mousePressEvent(event);
  if (event->button() == Qt::RightButton) {
    copyMenu_.popup(event->globalPosition().toPoint());
  } else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    CloseHelp();
  }
}

void THelpWindow::keyPressEvent(QKeyEvent* event) {
  if (closing_) return QWidget::keyPressEvent(event);
  CloseHelp();
}

void THelpWindow::focusOutEvent(QFocusEvent* event) {
  // The "&Copy" menu takes the focus for a while (on some platforms it even becomes the active
  // window); that is no loss.
  if (closing_ || event->reason() == Qt::PopupFocusReason || copyMenu_.isVisible()) return;
  CloseHelp();
}

void THelpWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  CloseHelp();
}

}  // namespace vorlix::help
