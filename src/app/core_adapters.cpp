#include "app/core_adapters.h"

#include <QApplication>

namespace vorlix::app {

namespace {

// The notice's widest, in pixels; the panels keep the rest of the bar.
constexpr int kNoticeWidth = 320;

}  // namespace

void QtBusyCursor::Show() {
  if (shown_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  shown_ = true;
}

void QtBusyCursor::Restore() {
  if (!shown_) return;
  QApplication::restoreOverrideCursor();
  shown_ = false;
}

StatusPanels::StatusPanels(QStatusBar* bar) {
  static constexpr int kWidths[2] = {50, 450};
  for (size_t i = 0; i < panels_.size(); ++i) {
    auto* label = new QLabel(bar);
    label->setObjectName(QStringLiteral("sbarPanel%1").arg(i));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(2, 0, 2, 0);
    if (i < 2) {
      label->setFixedWidth(kWidths[i]);
      bar->addWidget(label);
    } else {
      label->setMinimumWidth(1);
      bar->addWidget(label, 1);
    }
    panels_[i] = label;
  }
  panels_[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  notice_ = new QLabel(bar);
  notice_->setObjectName(QStringLiteral("sbarNotice"));
  notice_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  notice_->setTextFormat(Qt::PlainText);
  notice_->setContentsMargins(2, 0, 2, 0);
  notice_->setMaximumWidth(kNoticeWidth);
  notice_->hide();
  bar->addPermanentWidget(notice_);
}

void StatusPanels::SetNotice(const std::string& text) {
  const QString notice = QString::fromStdString(text);
  notice_->setToolTip(notice);
  notice_->setText(notice_->fontMetrics().elidedText(notice, Qt::ElideRight, kNoticeWidth - 8));
  notice_->setVisible(!notice.isEmpty());
}

void StatusPanels::SetPanel(core::StatusPanel panel, const std::string& text) {
  panels_[static_cast<size_t>(core::PanelIndex(panel))]->setText(QString::fromStdString(text));
}

QString StatusPanels::PanelText(int index) const {
  return panels_.at(static_cast<size_t>(index))->text();
}

std::optional<std::string> QtChoice::Choose(const std::vector<std::string>& names) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string& name : names) list << QString::fromStdString(name);
  dialog_.Fill(list);
  cursor_.Restore();
  const std::optional<QString> chosen = dialog_.Choose(&mainWindow_);
  if (!chosen) return std::nullopt;
  return chosen->toStdString();
}

}  // namespace vorlix::app
