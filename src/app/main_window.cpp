#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

#include "app/busy_input_filter.h"
#include "app/core/caption.h"
#include "app/core/kinds.h"
#include "app/core/lookup.h"
#include "app/core/mail.h"
#include "app/core/startup.h"
#include "app/export_commands.h"
#include "app/hints.h"
#include "app/tool_separator.h"
#include "app/toolbar_icons.h"
#include "help/form_help.h"

namespace vorlix::app {

namespace {

constexpr int kToolBarHeight = 29;
constexpr int kStatusBarHeight = 19;
constexpr int kEdit1Width = 272;
constexpr int kCb1Width = 121;

// The images of the tool bar's image list that the window uses, by index.
ToolImage ImageAt(int index) {
  switch (index) {
    case 0:
      return ToolImage::Exit;
    case 8:
      return ToolImage::Print;
    case 17:
      return ToolImage::Find;
    case 18:
      return ToolImage::Mail;
    case 19:
      return ToolImage::SaveExcel;
    case 20:
      return ToolImage::SaveCsv;
    default:
      return ToolImage::WhatsThis;
  }
}

QStringList ToQt(const core::ColumnCaptions& texts) {
  QStringList list;
  for (const std::string& text : texts) list << QString::fromStdString(text);
  return list;
}

// FormHelp: help mode from ToolButton12, F1 and the right-click "&What's This?" menu. The caption
// button stays hidden and the window menu gets no entry.
void SetUpFormHelp(help::TFormHelp& formHelp, QToolButton* helpButton) {
  const QString whatsThis = QStringLiteral("&What's This?");
  formHelp.WhatsThis().SetToolbarButton(helpButton);
  formHelp.WhatsThis().SetCaption(whatsThis);
  formHelp.SystemMenu().SetCaption(whatsThis);
  formHelp.CaptionButton().SetVisible(false);
  formHelp.CaptionButton().SetHint(QStringLiteral("Help"));
  formHelp.CaptionButton().SetCursorDown(Qt::WhatsThisCursor);
  formHelp.SystemMenu().SetApplyToMenu(false);
  formHelp.SystemMenu().SetPosition(7);
  formHelp.SystemMenu().SetSeparators(help::seBefore);
}

}  // namespace

TForm1::TForm1(WindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      configurationPath_(options.configurationPath.empty() ? core::ConfigurationPath()
                                                           : options.configurationPath),
      seams_(std::move(options.seams)) {
  const WindowSeams desktop = DesktopSeams();
  if (!seams_.showMessage) seams_.showMessage = desktop.showMessage;
  if (!seams_.openMail) seams_.openMail = desktop.openMail;
  if (!seams_.askSaveFileName) seams_.askSaveFileName = desktop.askSaveFileName;
  if (!seams_.askPassword) seams_.askPassword = desktop.askPassword;
  if (!seams_.clock) seams_.clock = desktop.clock;
  if (options.client) state_.SetClient(std::move(options.client));

  setObjectName(QStringLiteral("Form1"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  resize(kOuterWidth, kOuterHeight);

  BuildToolBar();

  memo1_ = new MemberTree(this);
  memo1_->SetHeaders(ToQt(captions_));
  ApplyHint(memo1_, Tooltip::kNone);
  setCentralWidget(memo1_);

  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("sbar"));
  bar->setFixedHeight(kStatusBarHeight);
  bar->setSizeGripEnabled(false);
  setStatusBar(bar);
  panels_ = std::make_unique<StatusPanels>(bar);
  ApplyHint(bar, Tooltip::kNone);

  // Every command stays reachable: the window is never narrower than its tool bar.
  setMinimumWidth(toolBar_->sizeHint().width());

  form2_ = new TForm2(this);
  choice_ = std::make_unique<QtChoice>(*form2_, *this, busyCursor_);
  exports_ = std::make_unique<ExportCommands>(*this);
  formHelp_ = new help::TFormHelp(this);
  SetUpFormHelp(*formHelp_, toolButton12_);

  // FormCreate: the start-up step runs once, about a second after the window exists.
  start_.setObjectName(QStringLiteral("start"));
  start_.setSingleShot(true);
  start_.setInterval(kStartInterval);
  connect(&start_, &QTimer::timeout, this, &TForm1::startTimer);
  start_.start();

  UpdateCaption();
}

TForm1::~TForm1() {
  // The help hooks the window's events; it goes before the window starts coming apart.
  delete formHelp_;
  core::Shutdown(state_);
}

QToolButton* TForm1::AddToolButton(const char* name, int imageIndex, Tooltip tooltip) {
  auto* button = new QToolButton(toolBar_);
  button->setObjectName(QLatin1String(name));
  button->setIcon(ToolbarIcon(ImageAt(imageIndex)));
  button->setIconSize(QSize(16, 16));
  button->setAutoRaise(true);
  button->setFixedSize(23, 22);
  ApplyHint(button, tooltip);
  toolBar_->addWidget(button);
  return button;
}

void TForm1::BuildToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setObjectName(QStringLiteral("ToolBar1"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setFixedHeight(kToolBarHeight);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  toolBar_->setContentsMargins(0, 0, 0, 0);
  addToolBar(Qt::TopToolBarArea, toolBar_);
  auto separator = [this](int width) { toolBar_->addWidget(new ToolSeparator(width, toolBar_)); };

  separator(8);
  exitexit_ = AddToolButton("exitexit", 0, Tooltip::kShortHint);
  separator(18);

  edit1_ = new QLineEdit(toolBar_);
  edit1_->setObjectName(QStringLiteral("edit1"));
  edit1_->setFixedWidth(kEdit1Width);
  QPalette yellow = edit1_->palette();
  yellow.setColor(QPalette::Base, Qt::yellow);
  yellow.setColor(QPalette::Text, Qt::black);
  edit1_->setPalette(yellow);
  ApplyHint(edit1_, Tooltip::kNone);
  toolBar_->addWidget(edit1_);

  toolButton4_ = AddToolButton("ToolButton4", 17, Tooltip::kShortHint);

  cb1_ = new QComboBox(toolBar_);
  cb1_->setObjectName(QStringLiteral("cb1"));
  cb1_->setEditable(false);
  for (int index = 0; index < core::kKindCount; ++index) {
    cb1_->addItem(QString::fromStdString(core::KindEntryText(*core::KindAt(index))));
  }
  // 121 pixels, or wider when the font needs more room for the longest entry.
  cb1_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  cb1_->setFixedWidth(std::max(kCb1Width, cb1_->sizeHint().width()));
  cb1_->setCurrentIndex(core::KindIndex(core::Kind::Group));
  ApplyHint(cb1_, Tooltip::kNone);
  toolBar_->addWidget(cb1_);

  separator(8);
  toolButton6_ = AddToolButton("ToolButton6", 18, Tooltip::kShortHint);
  separator(18);
  toolButton2_ = AddToolButton("ToolButton2", 8, Tooltip::kShortHint);
  // The Print command has no visible button; its action hides the widget in the tool bar.
  for (QAction* action : toolBar_->actions()) {
    if (toolBar_->widgetForAction(action) == toolButton2_) action->setVisible(false);
  }
  separator(16);
  toolButton9_ = AddToolButton("ToolButton9", 19, Tooltip::kShortHint);
  toolButton10_ = AddToolButton("ToolButton10", 20, Tooltip::kNone);
  separator(58);
  toolButton12_ = AddToolButton("ToolButton12", 21, Tooltip::kNone);
  toolButton12_->setCheckable(true);

  connect(exitexit_, &QToolButton::clicked, this, &TForm1::exitexitClick);
  // edit1KeyPress: Enter clicks the Find button.
  connect(edit1_, &QLineEdit::returnPressed, toolButton4_, &QToolButton::click);
  connect(toolButton4_, &QToolButton::clicked, this, &TForm1::ToolButton4Click);
  connect(cb1_, &QComboBox::currentIndexChanged, this, &TForm1::cb1Change);
  connect(toolButton6_, &QToolButton::clicked, this, &TForm1::ToolButton6Click);
  connect(toolButton2_, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
  connect(toolButton9_, &QToolButton::clicked, this, &TForm1::ToolButton9Click);
  connect(toolButton10_, &QToolButton::clicked, this, &TForm1::ToolButton10Click);
  // ToolButton12 belongs to the context help (SetUpFormHelp).
}

void TForm1::SetCommandsEnabled(bool enabled) {
  for (QWidget* command :
       std::initializer_list<QWidget*>{toolButton4_, cb1_, toolButton6_, toolButton2_, toolButton9_,
                                       toolButton10_, toolButton12_})
    command->setEnabled(enabled);
  edit1_->setReadOnly(!enabled);
}

void TForm1::ShowMessage(const std::string& text) {
  seams_.showMessage(this, QString::fromStdString(text));
}

void TForm1::startTimer() {
  start_.stop();
  if (started_) return;
  started_ = true;

  core::Configuration configuration = core::LoadConfiguration(configurationPath_);
  state_.InputFiles =
      core::InputFilesOf(configurationPath_, core::DirectorySourceOf(configuration));
  AskDirectoryPassword(configuration);
  const core::StartupResult result = core::RunStartupStep(state_, configuration);
  for (const std::string& message : result.messages) ShowMessage(message);
  panels_->SetNotice(core::NoticeLine(result.notices));
  if (!result.clientStarted) {
    // Nothing else runs; closing the main window ends the program (the shutdown still runs).
    close();
    return;
  }
  if (result.completed) {
    UpdateCaption();
    const int application = core::KindIndex(core::Kind::Application);
    if (cb1_->count() > application) cb1_->removeItem(application);
  }
  // The close takes effect once control is back in the event loop.
  if (result.closeWindow) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TForm1::AskDirectoryPassword(core::Configuration& configuration) {
  if (state_.client != nullptr || !configuration.hasDirectory) return;
  directory::DirectorySource& source = configuration.directory;
  if (!directory::NeedsPassword(source)) return;
  // Cancelled: no password, and the bind says so.
  const std::optional<QString> password =
      seams_.askPassword(this, QString::fromStdString(directory::PasswordPrompt(source)));
  if (password) source.password = password->toStdString();
}

void TForm1::UpdateCaption() {
  const QFontMetrics metrics(font());
  const core::TextWidth measure = [&metrics](const std::string& text) {
    return metrics.horizontalAdvance(QString::fromStdString(text));
  };
  const int outerWidth = isVisible() ? frameGeometry().width() : width();
  setWindowTitle(QString::fromStdString(
      core::LayoutCaption(core::ShownTreeName(state_.TreeName, state_.SampleTree), outerWidth,
                          core::WindowsVersionCode(), measure)));
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  UpdateCaption();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!placed_) {
    placed_ = true;
    PlaceOnScreen();
    // Typing starts in the name box (its tool bar shows it only now, so not earlier).
    edit1_->setFocus();
  }
}

void TForm1::PlaceOnScreen() {
  // The outer size counts the frame, which is known only once the window is shown.
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  const int frameWidth = frame.width() - client.width();
  const int frameHeight = frame.height() - client.height();
  resize(kOuterWidth - frameWidth, kOuterHeight - frameHeight);
  if (const QScreen* screen = this->screen()) {
    const QRect desktop = screen->availableGeometry();
    move(desktop.center().x() - kOuterWidth / 2, desktop.center().y() - kOuterHeight / 2);
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (busy_) {
    cancelRequested_ = true;
    closeRequested_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TForm1::RunExclusive(const std::function<void()>& command) {
  if (busy_) return;
  busy_ = true;
  cancelRequested_ = false;
  struct Done {
    TForm1& window;
    ~Done() {
      window.busy_ = false;
      if (!window.closeRequested_) return;
      window.closeRequested_ = false;
      QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);
    }
  } done{*this};
  command();
}

void TForm1::ToolButton4Click() {
  RunExclusive([this] {
    // While the rows are read the window's events are handled; the other commands are greyed
    // out, input that would start one is swallowed, Exit stops the lookup and closes the window,
    // and Esc cancels.
    BusyInputFilter input(*this, memo1_, exitexit_, [this] { cancelRequested_ = true; });
    SetCommandsEnabled(false);
    struct Reenable {
      TForm1& window;
      ~Reenable() { window.SetCommandsEnabled(true); }
    } reenable{*this};
    core::LookupUi ui{
        *memo1_,
        *panels_,
        *choice_,
        busyCursor_,
        *this,
        [this](const std::string& text) { edit1_->setText(QString::fromStdString(text)); },
        // Repaint after the choice closed; user input waits until the lookup is done.
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); },
    };
    ui.progress = [this](size_t, size_t) {
      memo1_->ShowAddedRows();
      QCoreApplication::processEvents();
      return !cancelRequested_;
    };
    ui.clock = seams_.clock;
    ui.captions = captions_;
    const core::LookupResult result =
        core::ListMembers(state_, edit1_->text().toStdString(), Kind(), ui);
    if (result.listing) ShowCaptions(result.listing->captions);
  });
}

void TForm1::ToolButton6Click() {
  RunExclusive([this] {
    const auto open = [this](const std::string& command) {
      seams_.openMail(QString::fromStdString(command));
    };
    const std::optional<core::MailCommand> mail = core::ComposeMail(state_, *memo1_, Kind(), open);
    if (mail && mail->namesLeftOut > 0) ShowMessage(core::MailCutNotice(mail->namesLeftOut));
  });
}

void TForm1::cb1Change() {
  memo1_->Clear();
  edit1_->clear();
  ShowCaptions(core::ColumnCaptionsForKind(Kind(), captions_));
}

void TForm1::ShowCaptions(const core::ColumnCaptions& captions) {
  captions_ = captions;
  memo1_->SetHeaders(ToQt(captions_));
}

core::Kind TForm1::Kind() const {
  return core::KindAt(cb1_->currentIndex()).value_or(core::Kind::Group);
}

void TForm1::exitexitClick() {
  close();
}

void TForm1::ToolButton2Click() {
  RunExclusive([this] { exports_->Print(); });
}
void TForm1::ToolButton9Click() {
  RunExclusive([this] { exports_->SaveToExcel(); });
}
void TForm1::ToolButton10Click() {
  RunExclusive([this] { exports_->SaveToCsv(); });
}

bool TForm1::StopRequested() const {
  return cancelRequested_;
}

}  // namespace vorlix::app
