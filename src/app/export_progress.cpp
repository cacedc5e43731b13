#include "app/export_progress.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <algorithm>

namespace vorlix::app {

ExportProgress::ExportProgress(QWidget& window, exporter::TMorvat3& exporter,
                               const QString& fileName, int rows, core::SteadyClock clock,
                               std::function<bool()> stopRequested)
    : window_(window),
      exporter_(exporter),
      fileName_(QFileInfo(fileName).fileName()),
      rows_(rows),
      pace_(std::move(clock), core::kProgressInterval, kExportDialogDelay),
      stopRequested_(std::move(stopRequested)),
      previous_(exporter.OnExportedRecord) {
  exporter_.OnExportedRecord = [this](exporter::TMorvat3& sender, int recNo) {
    if (previous_) previous_(sender, recNo);
    ++written_;
    if (pace_.Due()) Refresh();
  };
}

ExportProgress::~ExportProgress() {
  exporter_.OnExportedRecord = previous_;
}

bool ExportProgress::CancelAsked() const {
  return (dialog_ && dialog_->wasCanceled()) || (stopRequested_ && stopRequested_());
}

void ExportProgress::Refresh() {
  if (CancelAsked()) {
    exporter_.Abort();
    return;
  }
  if (!dialog_) {
    dialog_ = std::make_unique<QProgressDialog>(&window_);
    dialog_->setObjectName(QStringLiteral("exportProgress"));
    dialog_->setWindowTitle(QStringLiteral("vorlix"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setCancelButtonText(QStringLiteral("Cancel"));
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, std::max(rows_, 1));
    // Esc closes the dialog as a cancel.
    QObject::connect(dialog_.get(), &QDialog::rejected, dialog_.get(), &QProgressDialog::cancel);
    dialog_->show();
  }
  dialog_->setLabelText(
      QStringLiteral("Writing %1: %2 of %3 rows").arg(fileName_).arg(written_).arg(rows_));
  dialog_->setValue(std::min(written_, dialog_->maximum()));
  QCoreApplication::processEvents();
  if (CancelAsked()) exporter_.Abort();
}

}  // namespace vorlix::app
