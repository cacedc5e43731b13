#include "app/member_tree.h"

#include <QHeaderView>

#include "app/core/member_columns.h"

namespace vorlix::app {

MemberTree::MemberTree(QWidget* parent) : QTreeView(parent), model_(new MemberItemModel(this)) {
  setObjectName(QStringLiteral("memo1"));
  setModel(model_);
  for (int column = 0; column < kColumns; ++column)
    setColumnWidth(column, core::kMemberColumnWidths[column]);
  // The model sorts the rows; turning Qt's sorting off also makes the headers unclickable, so
  // they are made clickable afterwards.
  setSortingEnabled(false);
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  SetHeaders({QStringLiteral("User"), QStringLiteral("Phone"), QStringLiteral(" "),
              QStringLiteral(" "), QStringLiteral(" ")});
  connect(header(), &QHeaderView::sectionClicked, this, &MemberTree::memo1ColumnClick);
}

void MemberTree::SetHeaders(const QStringList& headers) {
  model_->SetHeaders(headers);
}

QStringList MemberTree::Headers() const {
  return model_->Headers();
}

void MemberTree::Clear() {
  model_->Table().Clear();
}

void MemberTree::AddRow(const core::MemberRow& row) {
  model_->Table().AddRow(row);
}

int MemberTree::RowCount() const {
  return model_->Table().RowCount();
}

core::MemberRow MemberTree::Row(int index) const {
  return model_->Table().Row(index);
}

std::string MemberTree::ColumnText(int index, int column) const {
  return model_->Table().ColumnText(index, column);
}

int MemberTree::ShownRowCount() const {
  return model_->rowCount();
}

void MemberTree::SortByKey(core::SortKey key) {
  model_->Table().SortByKey(key);
}

void MemberTree::BeginUpdate() {
  if (updateDepth_++ == 0) setUpdatesEnabled(false);
  model_->Table().BeginUpdate();
}

void MemberTree::EndUpdate() {
  if (updateDepth_ == 0) return;
  // The rows waiting may be many; the table takes them in without repainting.
  setUpdatesEnabled(false);
  model_->Table().EndUpdate();
  if (--updateDepth_ == 0) setUpdatesEnabled(true);
}

void MemberTree::ShowAddedRows() {
  if (updateDepth_ == 0) return;
  // Placing the rows passes over every row shown. Placing them only once the rows waiting are at
  // least half as many as those shown keeps the passes to a few times the table's size however
  // long the lookup runs; the rows then appear in growing batches.
  const int shown = ShownRowCount();
  const int waiting = RowCount() - shown;
  if (waiting > 0 && waiting * 2 >= shown) {
    setUpdatesEnabled(false);
    model_->Table().PlaceAddedRows();
  }
  setUpdatesEnabled(true);
}

void MemberTree::memo1ColumnClick(int column) {
  if (const std::optional<core::SortKey> key = core::SortKeyOfColumn(column)) SortByKey(*key);
}

bool MemberTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Only the first column is edited in place; F2 edits it from any column.
  if (index.isValid() && index.column() != 0) {
    if (trigger != EditKeyPressed) return false;
    return QTreeView::edit(index.siblingAtColumn(0), trigger, event);
  }
  return QTreeView::edit(index, trigger, event);
}

void MemberTree::commitData(QWidget* editor) {
  // The new name re-sorts the table once the editor has closed: the model holds the sort back
  // until this update ends.
  model_->Table().BeginUpdate();
  QTreeView::commitData(editor);
  QMetaObject::invokeMethod(
      this, [this] { model_->Table().EndUpdate(); }, Qt::QueuedConnection);
}

}  // namespace vorlix::app
