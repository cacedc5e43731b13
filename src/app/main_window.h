#pragma once
// TForm1: the main window. A tool bar with the name entry box, the kind selector and the
// commands; the member table memo1; the status bar sbar. About a second after it is created the
// start-up step opens the directory; closing it shuts the directory client down.

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>

#include "app/choice_dialog.h"
#include "app/core/app_state.h"
#include "app/core/configuration.h"
#include "app/core/kinds.h"
#include "app/core/message_sink.h"
#include "app/core_adapters.h"
#include "app/hints.h"
#include "app/member_tree.h"
#include "app/window_seams.h"

namespace vorlix::help {
class TFormHelp;
}

namespace vorlix::app {

class ExportCommands;

struct WindowOptions {
  // The configuration file; empty means vorlix.ini beside the executable.
  std::string configurationPath;
  // A directory client to use instead of the configured source (tests).
  std::unique_ptr<directory::DirectoryClient> client;
  // Desktop seams; unset members fall back to the desktop's.
  WindowSeams seams;
};

class TForm1 : public QMainWindow, public core::IMessageSink {
  Q_OBJECT
 public:
  static constexpr int kOuterWidth = 798;
  static constexpr int kOuterHeight = 441;
  static constexpr int kStartInterval = 1000;

  explicit TForm1(WindowOptions options = {}, QWidget* parent = nullptr);
  ~TForm1() override;  // FormDestroy: the directory shutdown

  // core::IMessageSink: a message box titled "vorlix".
  void ShowMessage(const std::string& text) override;

  // The handlers, public so that the program and its tests can run them directly.
  void startTimer();
  // Before the start-up step: the password of an LDAP bind, asked in a masked dialog (it is
  // never stored in the configuration file).
  void AskDirectoryPassword(core::Configuration& configuration);
  void UpdateCaption();
  void ToolButton4Click();
  void ToolButton6Click();
  void ToolButton2Click();
  void ToolButton9Click();
  void ToolButton10Click();
  void cb1Change();
  void exitexitClick();

  // The controls, by their names.
  QToolBar* ToolBar1() const { return toolBar_; }
  QLineEdit* edit1() const { return edit1_; }
  QComboBox* cb1() const { return cb1_; }
  MemberTree* memo1() const { return memo1_; }
  QStatusBar* sbar() const { return statusBar(); }
  QToolButton* exitexit() const { return exitexit_; }
  QToolButton* ToolButton4() const { return toolButton4_; }
  QToolButton* ToolButton6() const { return toolButton6_; }
  QToolButton* ToolButton2() const { return toolButton2_; }
  QToolButton* ToolButton9() const { return toolButton9_; }
  QToolButton* ToolButton10() const { return toolButton10_; }
  QToolButton* ToolButton12() const { return toolButton12_; }
  TForm2* Form2() const { return form2_; }
  QTimer* start() { return &start_; }
  ExportCommands& Exports() { return *exports_; }
  help::TFormHelp* FormHelp() const { return formHelp_; }

  // A lookup or an export is running; its events are handled meanwhile. While a lookup runs the
  // other commands are disabled (greyed out), and Exit stops it and closes the window.
  bool Busy() const { return busy_; }
  // The running command was asked to stop (Esc during a lookup, or the window was closed).
  bool StopRequested() const;

  QString PanelText(int index) const { return panels_->PanelText(index); }
  QString NoticeText() const { return panels_->NoticeText(); }
  const core::AppState& State() const { return state_; }
  // The member table's column captions, as the last kind change or lookup left them.
  const core::ColumnCaptions& Captions() const { return captions_; }
  core::AppState& State() { return state_; }
  QtBusyCursor& BusyCursor() { return busyCursor_; }
  const WindowSeams& Seams() const { return seams_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // While a command runs: stops it, and closes the window once it has returned.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs `command` as the one command in progress; does nothing while another runs. A close
  // asked for meanwhile takes effect once it has returned.
  void RunExclusive(const std::function<void()>& command);
  void BuildToolBar();
  // Enables or disables every command but Exit, and lets edit1 be typed in or not.
  void SetCommandsEnabled(bool enabled);
  QToolButton* AddToolButton(const char* name, int imageIndex, Tooltip tooltip);
  void PlaceOnScreen();
  core::Kind Kind() const;
  // Shows `captions` over the member table and keeps them for the exports.
  void ShowCaptions(const core::ColumnCaptions& captions);

  core::AppState state_;
  core::ColumnCaptions captions_ = core::InitialColumnCaptions();
  std::string configurationPath_;
  WindowSeams seams_;

  QToolBar* toolBar_ = nullptr;
  QToolButton* exitexit_ = nullptr;
  QLineEdit* edit1_ = nullptr;
  QToolButton* toolButton4_ = nullptr;
  QComboBox* cb1_ = nullptr;
  QToolButton* toolButton6_ = nullptr;
  QToolButton* toolButton2_ = nullptr;
  QToolButton* toolButton9_ = nullptr;
  QToolButton* toolButton10_ = nullptr;
  QToolButton* toolButton12_ = nullptr;
  MemberTree* memo1_ = nullptr;
  std::unique_ptr<StatusPanels> panels_;
  TForm2* form2_ = nullptr;

  QtBusyCursor busyCursor_;
  std::unique_ptr<QtChoice> choice_;
  std::unique_ptr<ExportCommands> exports_;
  help::TFormHelp* formHelp_ = nullptr;  // child of the window, freed first
  QTimer start_;
  bool started_ = false;
  bool placed_ = false;
  bool busy_ = false;             // a command runs (RunExclusive)
  bool cancelRequested_ = false;  // Esc or a close asked the running command to stop
  bool closeRequested_ = false;   // the window closes once the running command has returned
};

}  // namespace vorlix::app
