#pragma once
// The main window's ways out to the desktop, replaceable so that tests start no mail program,
// open no modal message box and show no file dialog.

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

#include "app/core/progress_pace.h"

class QInputDialog;
class QWidget;

namespace vorlix::app {

// What an export command asks the file-save dialog for.
struct SaveFileRequest {
  QString title;            // "Select/give filename"
  QString filter;           // Qt filters, e.g. "CSV (*.csv)"; several joined by ";;", first chosen
  QString defaultSuffix;    // "csv": added to a name without one, until another filter is chosen
  QString defaultFileName;  // the short name of the text in edit1
};

struct WindowSeams {
  // Shows a text in a message box titled "vorlix".
  std::function<void(QWidget* parent, const QString& text)> showMessage;
  // Hands a "MAILTO:" command to the desktop's mail handler.
  std::function<void(const QString& command)> openMail;
  // Asks for the name of a file to write; an empty result means cancelled. The dialog asks
  // before an existing file is overwritten.
  std::function<QString(QWidget* parent, const SaveFileRequest& request)> askSaveFileName;
  // Asks for the password of an LDAP bind in a masked dialog; nullopt when cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& prompt)> askPassword;
  // The clock that paces the progress of lookups and exports.
  core::SteadyClock clock;
};

// The URL the desktop's mail handler gets for a "MAILTO:" command, which comes encoded (the mail
// command's own encoding): taken as it is, so the handler gets exactly the command whose length
// was checked.
QUrl MailUrl(const QString& command);

// The password dialog of the running program: titled "vorlix", the typed text masked.
QInputDialog* NewPasswordDialog(QWidget* parent, const QString& prompt);

// The seams of the running program: QMessageBox, QDesktopServices::openUrl, QFileDialog, the
// password dialog, the steady clock.
WindowSeams DesktopSeams();

}  // namespace vorlix::app
