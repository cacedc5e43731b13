#include "app/member_tree.h"

#include <QHeaderView>
#include <algorithm>
#include <iterator>

#include "app/core/kinds.h"
#include "app/core/memo1_compare.h"

namespace vorlix::app {

namespace {

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}
std::string ToStd(const QString& text) {
  return text.toStdString();
}

}  // namespace

MemberTree::MemberTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("memo1"));
  setColumnCount(kColumns);
  for (int column = 0; column < kColumns; ++column)
    setColumnWidth(column, core::kMemberColumnWidths[column]);
  // The table sorts itself; turning Qt's sorting off also makes the headers unclickable, so
  // they are made clickable afterwards.
  setSortingEnabled(false);
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  SetHeaders({QStringLiteral("User"), QStringLiteral("Phone"), QStringLiteral(" "),
              QStringLiteral(" "), QStringLiteral(" ")});
  connect(header(), &QHeaderView::sectionClicked, this, &MemberTree::memo1ColumnClick);
}

MemberTree::~MemberTree() {
  qDeleteAll(pending_);
}

void MemberTree::SetHeaders(const QStringList& headers) {
  setHeaderLabels(headers);
}

QStringList MemberTree::Headers() const {
  QStringList headers;
  for (int column = 0; column < kColumns; ++column) headers << headerItem()->text(column);
  return headers;
}

QTreeWidgetItem* MemberTree::MakeItem(const core::MemberRow& row) {
  auto* item = new QTreeWidgetItem();
  item->setText(0, FromStd(row.caption));
  for (int cell = 1; cell <= 4; ++cell) item->setText(cell, FromStd(row.cells[cell - 1]));
  item->setData(2, kRawTimeRole, row.rawTime);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
                 Qt::ItemIsEditable);
  item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
  return item;
}

core::MemberRow MemberTree::RowOf(const QTreeWidgetItem* item) {
  core::MemberRow row;
  row.caption = ToStd(item->text(0));
  row.checked = item->checkState(0) == Qt::Checked;
  for (int cell = 1; cell <= 4; ++cell) row.cells[cell - 1] = ToStd(item->text(cell));
  row.rawTime = item->data(2, kRawTimeRole).toInt();
  return row;
}

void MemberTree::Clear() {
  qDeleteAll(pending_);
  pending_.clear();
  clear();
}

void MemberTree::AddRow(const core::MemberRow& row) {
  QTreeWidgetItem* item = MakeItem(row);
  if (updateDepth_ > 0) {
    pending_.append(item);
    return;
  }
  // Insert after the last row that does not sort after the new one: the place a stable sort of
  // the rows in the order they were added would give.
  const core::MemberRow key = RowOf(item);
  int low = 0;
  int high = topLevelItemCount();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (core::memo1Compare(key, RowOf(topLevelItem(middle)), 0) < 0) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  insertTopLevelItem(low, item);
}

int MemberTree::RowCount() const {
  return topLevelItemCount() + static_cast<int>(pending_.size());
}

core::MemberRow MemberTree::Row(int index) const {
  const int shown = topLevelItemCount();
  if (index < shown) return RowOf(topLevelItem(index));
  return RowOf(pending_.at(index - shown));
}

void MemberTree::BeginUpdate() {
  if (updateDepth_++ == 0) setUpdatesEnabled(false);
}

void MemberTree::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (!pending_.isEmpty()) {
    // The rows may be shown by now (ShowAddedRows); the table is rebuilt without repainting.
    setUpdatesEnabled(false);
    QList<QTreeWidgetItem*> added;
    added.swap(pending_);
    SortItems(0, added);
  }
  setUpdatesEnabled(true);
}

void MemberTree::ShowAddedRows() {
  if (updateDepth_ == 0) return;
  // A merge passes over every row shown. Merging only once the rows waiting are at least half
  // as many as those shown keeps the passes to a few times the table's size however long the
  // lookup runs; the rows then appear in growing batches.
  if (!pending_.isEmpty() && pending_.size() * 2 >= topLevelItemCount()) {
    setUpdatesEnabled(false);
    QList<QTreeWidgetItem*> added;
    added.swap(pending_);
    MergeItems(added);
  }
  setUpdatesEnabled(true);
}

void MemberTree::MergeItems(const QList<QTreeWidgetItem*>& added) {
  // Only the first column decides under key 0: the keys are the names alone.
  struct Entry {
    core::MemberRow key;
    QTreeWidgetItem* item;
  };
  const auto entriesOf = [](const QList<QTreeWidgetItem*>& items) {
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(items.size()));
    for (QTreeWidgetItem* item : items) {
      Entry entry{{}, item};
      entry.key.caption = ToStd(item->text(0));
      entries.push_back(std::move(entry));
    }
    return entries;
  };
  const auto before = [](const Entry& a, const Entry& b) {
    return core::memo1Compare(a.key, b.key, 0) < 0;
  };
  std::vector<Entry> fresh = entriesOf(added);
  std::stable_sort(fresh.begin(), fresh.end(), before);
  const std::vector<Entry> shown = entriesOf(invisibleRootItem()->takeChildren());
  // Rows shown come first among equals: they were added earlier.
  std::vector<Entry> merged;
  merged.reserve(shown.size() + fresh.size());
  std::merge(shown.begin(), shown.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
             before);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(merged.size()));
  for (const Entry& entry : merged) items.append(entry.item);
  addTopLevelItems(items);
}

void MemberTree::SortByKey(int key) {
  if (key < 0 || key >= kColumns) return;
  SortItems(key, {});
}

void MemberTree::SortItems(int key, const QList<QTreeWidgetItem*>& added) {
  QTreeWidgetItem* current = currentItem();
  const QList<QTreeWidgetItem*> selected = selectedItems();
  QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
  items.append(added);
  // Each row's key is read once; the sort then compares the copies.
  struct Entry {
    core::MemberRow row;
    QTreeWidgetItem* item;
  };
  std::vector<Entry> entries;
  entries.reserve(static_cast<size_t>(items.size()));
  for (QTreeWidgetItem* item : items) entries.push_back({RowOf(item), item});
  std::stable_sort(entries.begin(), entries.end(), [key](const Entry& a, const Entry& b) {
    return core::memo1Compare(a.row, b.row, key) < 0;
  });
  QList<QTreeWidgetItem*> sorted;
  sorted.reserve(items.size());
  for (const Entry& entry : entries) sorted.append(entry.item);
  addTopLevelItems(sorted);
  if (current != nullptr && current->treeWidget() == this) setCurrentItem(current);
  for (QTreeWidgetItem* item : selected) {
    if (item->treeWidget() == this) item->setSelected(true);
  }
}

void MemberTree::memo1ColumnClick(int column) {
  SortByKey(column);
}

bool MemberTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Only the first column is edited in place; F2 edits it from any column.
  if (index.isValid() && index.column() != 0) {
    if (trigger != EditKeyPressed) return false;
    return QTreeWidget::edit(index.siblingAtColumn(0), trigger, event);
  }
  return QTreeWidget::edit(index, trigger, event);
}

void MemberTree::commitData(QWidget* editor) {
  QTreeWidget::commitData(editor);
  // Setting a row's name re-sorts the table by the first column, once the editor has closed.
  QMetaObject::invokeMethod(
      this, [this] { SortByKey(0); }, Qt::QueuedConnection);
}

}  // namespace vorlix::app
