#pragma once
// The window's implementations of the lookup's small interfaces: the hourglass through Qt's
// override cursor, the status panels, and the choice through TForm2.

#include <QLabel>
#include <QStatusBar>
#include <array>

#include "app/choice_dialog.h"
#include "app/core/busy_cursor.h"
#include "app/core/choice.h"
#include "app/core/status_bar.h"

namespace vorlix::app {

// Shows the hourglass once however often Show is called; Restore takes back only its own cursor.
class QtBusyCursor : public core::IBusyCursor {
 public:
  ~QtBusyCursor() override { Restore(); }
  void Show() override;
  void Restore() override;
  bool Shown() const { return shown_; }

 private:
  bool shown_ = false;
};

// sbar's three panels: 50 pixels right-aligned, 450 pixels, and the rest of the width; and at
// the right end, shown only while there is one, the notice (cut to fit, whole in its tooltip).
class StatusPanels : public core::IStatusBar {
 public:
  explicit StatusPanels(QStatusBar* bar);
  void SetPanel(core::StatusPanel panel, const std::string& text) override;
  void SetNotice(const std::string& text) override;
  QString PanelText(int index) const;
  QLabel* Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
  QString NoticeText() const { return notice_->toolTip(); }

 private:
  std::array<QLabel*, 3> panels_{};
  QLabel* notice_ = nullptr;
};

// The choice among several objects in TForm2, centred over the main window. The hourglass is
// taken back while the dialog is up.
class QtChoice : public core::IChoiceDialog {
 public:
  QtChoice(TForm2& dialog, QWidget& mainWindow, core::IBusyCursor& cursor)
      : dialog_(dialog), mainWindow_(mainWindow), cursor_(cursor) {}
  std::optional<std::string> Choose(const std::vector<std::string>& names) override;

 private:
  TForm2& dialog_;
  QWidget& mainWindow_;
  core::IBusyCursor& cursor_;
};

}  // namespace vorlix::app
