#include "app/window_seams.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>

namespace vorlix::app {

namespace {

void ShowMessageBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("vorlix"), text, QMessageBox::Ok, parent);
  box.exec();
}

void OpenMailCommand(const QString& command) {
  QDesktopServices::openUrl(MailUrl(command));
}

QString AskSaveFileName(QWidget* parent, const SaveFileRequest& request) {
  QFileDialog dialog(parent, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(request.filter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  // A chosen filter also chooses the suffix added to a name typed without one.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) {
                     static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
                     const QRegularExpressionMatch match = pattern.match(filter);
                     if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
                   });
  dialog.selectFile(request.defaultFileName);
  // QFileDialog asks before overwriting unless told otherwise.
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

std::optional<QString> AskPassword(QWidget* parent, const QString& prompt) {
  QInputDialog* dialog = NewPasswordDialog(parent, prompt);
  const bool accepted = dialog->exec() == QDialog::Accepted;
  const QString password = dialog->textValue();
  delete dialog;
  if (!accepted) return std::nullopt;
  return password;
}

}  // namespace

QUrl MailUrl(const QString& command) {
  return QUrl::fromEncoded(command.toLatin1(), QUrl::StrictMode);
}

QInputDialog* NewPasswordDialog(QWidget* parent, const QString& prompt) {
  auto* dialog = new QInputDialog(parent);
  dialog->setWindowTitle(QStringLiteral("vorlix"));
  dialog->setLabelText(prompt);
  dialog->setInputMode(QInputDialog::TextInput);
  dialog->setTextEchoMode(QLineEdit::Password);
  return dialog;
}

WindowSeams DesktopSeams() {
  return {ShowMessageBox, OpenMailCommand, AskSaveFileName, AskPassword, core::SystemClock()};
}

}  // namespace vorlix::app
