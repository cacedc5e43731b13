#pragma once
// The member table's rows as Qt's views read them: a five-column item model over a
// core::MemberTableModel, which holds the rows and decides their order. Only the placed rows are
// shown; rows waiting in an update appear when the table places them. Column 0 carries the tick
// box and is the one edited in place.

#include <QAbstractTableModel>
#include <QStringList>

#include "app/core/member_table_model.h"

namespace vorlix::app {

class MemberItemModel : public QAbstractTableModel, private core::IMemberTableObserver {
  Q_OBJECT
 public:
  static constexpr int kColumns = core::kMemberColumnCount;

  explicit MemberItemModel(QObject* parent = nullptr);
  ~MemberItemModel() override;

  core::MemberTableModel& Table() { return table_; }
  const core::MemberTableModel& Table() const { return table_; }

  void SetHeaders(const QStringList& headers);
  const QStringList& Headers() const { return headers_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // The tick of column 0 and the first-column text; the table re-sorts after a new name.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // core::IMemberTableObserver
  void BeforeReset() override;
  void AfterReset() override;
  void BeforeInsert(int first, int last) override;
  void AfterInsert() override;
  void BeforeMove() override;
  void AfterMove(const std::vector<int>& newIndex) override;
  void RowChanged(int index) override;

  core::MemberTableModel table_;
  QStringList headers_;
};

}  // namespace vorlix::app
