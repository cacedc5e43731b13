#pragma once
// The progress of an export run in the window. Once the run has taken half a second, a dialog
// titled "vorlix" shows the rows written so far with a Cancel button, refreshed at most ten times
// a second, and the window's events are handled at each refresh. After the last row it shows how
// far the finishing of the file got (assembling, compressing, saving), up to the moment the file
// takes the target's place. The dialog is window-modal, so the user cannot start another command
// meanwhile. Cancel (or Esc in the dialog, or a stop asked for by the window) aborts the run, in
// either phase: the exporter then removes its partial file and leaves a file that was there
// before as it was.

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "app/core/progress_pace.h"
#include "export/morvat3.h"

class QProgressDialog;
class QWidget;

namespace vorlix::app {

inline constexpr std::chrono::milliseconds kExportDialogDelay{500};

class ExportProgress {
 public:
  // Hooks into the exporter's per-record and finishing events (handlers already set still run
  // first) until destroyed. `rows` is the number of rows to write; `stopRequested` is asked at each
  // refresh.
  ExportProgress(QWidget& window, exporter::TMorvat3& exporter, const QString& fileName, int rows,
                 core::SteadyClock clock, std::function<bool()> stopRequested);
  // Gives the exporter its handler back and closes the dialog.
  ~ExportProgress();
  ExportProgress(const ExportProgress&) = delete;
  ExportProgress& operator=(const ExportProgress&) = delete;

 private:
  // Shows the dialog when it is not shown yet, and the current state in it.
  void Refresh();
  bool CancelAsked() const;
  void OnFinishing(uint64_t done, uint64_t total);

  QWidget& window_;
  exporter::TMorvat3& exporter_;
  QString fileName_;
  int rows_;
  int written_ = 0;
  bool finishing_ = false;
  uint64_t finishDone_ = 0, finishTotal_ = 0;  // of the finishing, once it has started
  core::ProgressPace pace_;
  std::function<bool()> stopRequested_;
  exporter::TMorvatRecNoEvent previous_;
  exporter::TMorvatFinishEvent previousFinishing_;
  std::unique_ptr<QProgressDialog> dialog_;  // once the run has taken long enough
};

}  // namespace vorlix::app
