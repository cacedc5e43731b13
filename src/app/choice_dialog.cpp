#include "app/choice_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace vorlix::app {

ChoiceList::ChoiceList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("ListView1"));
  setColumnCount(1);
  setHeaderHidden(true);
  header()->setStretchLastSection(false);
  setColumnWidth(0, 300);
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  // A double-click chooses, so editing starts with F2 or a click on the selected row.
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
}

void ChoiceList::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  emit doubleClicked();
}

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("Form2"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(454, 309);
  list_ = new ChoiceList(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);
  connect(list_, &ChoiceList::doubleClicked, this, &TForm2::ListView1DblClick);
}

void TForm2::Fill(const QStringList& names) {
  list_->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(names.size());
  for (const QString& name : names) {
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    items.append(item);
  }
  list_->addTopLevelItems(items);
  list_->clearSelection();
  list_->setCurrentItem(nullptr);
}

std::optional<QString> TForm2::Choose(QWidget* centreOver) {
  choice_.reset();
  if (centreOver != nullptr) {
    const QRect frame = centreOver->frameGeometry();
    move(frame.center() - rect().center());
  }
  exec();
  return choice_;
}

void TForm2::ListView1DblClick() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) {
    choice_.reset();
    reject();
    return;
  }
  choice_ = selected.first()->text(0);
  accept();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      choice_.reset();
      reject();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Enter does nothing in this dialog.
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace vorlix::app
