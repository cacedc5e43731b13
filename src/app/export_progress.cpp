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
      previous_(exporter.OnExportedRecord),
      previousFinishing_(exporter.OnFinishing) {
  exporter_.OnExportedRecord = [this](exporter::TMorvat3& sender, int recNo) {
    if (previous_) previous_(sender, recNo);
    ++written_;
    if (pace_.Due()) Refresh();
  };
  exporter_.OnFinishing = [this](exporter::TMorvat3& sender, uint64_t done, uint64_t total) {
    if (previousFinishing_) previousFinishing_(sender, done, total);
    OnFinishing(done, total);
  };
}

ExportProgress::~ExportProgress() {
  exporter_.OnExportedRecord = previous_;
  exporter_.OnFinishing = previousFinishing_;
}

void ExportProgress::OnFinishing(uint64_t done, uint64_t total) {
  const bool started = !finishing_;
  finishing_ = true;
  finishDone_ = done;
  finishTotal_ = total;
  // A dialog already shown turns to the finishing at once, rather than resting on the last rows.
  if ((started && dialog_) || pace_.Due()) Refresh();
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
  if (!finishing_) {
    dialog_->setLabelText(
        QStringLiteral("Writing %1: %2 of %3 rows").arg(fileName_).arg(written_).arg(rows_));
    dialog_->setValue(std::min(written_, dialog_->maximum()));
  } else if (finishTotal_ == 0) {
    // How far it got is unknown: a busy bar.
    dialog_->setLabelText(QStringLiteral("Finishing %1").arg(fileName_));
    dialog_->setRange(0, 0);
  } else {
    const int percent = static_cast<int>(std::min(finishDone_, finishTotal_) * 100 / finishTotal_);
    dialog_->setLabelText(QStringLiteral("Finishing %1: %2%").arg(fileName_).arg(percent));
    dialog_->setRange(0, 100);
    dialog_->setValue(percent);
  }
  QCoreApplication::processEvents();
  if (CancelAsked()) exporter_.Abort();
}

}  // namespace vorlix::app
