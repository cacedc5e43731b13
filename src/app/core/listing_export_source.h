#pragma once
// A listing as an exporter reads it, row by row as the listing reads them: the five columns
// (the listing's captions, widths kMemberColumnWidths) and one item per member. Only the row in
// hand is held, so an export of any size needs the memory of one row. The exporters read the
// items in order, the first one possibly twice; asking for an earlier item than the one in hand
// throws std::logic_error.

#include <functional>
#include <string>
#include <utility>

#include "app/core/listing.h"
#include "app/core/member_columns_view.h"

namespace vorlix::core {

class ListingExportSource : public MemberColumnsView {
 public:
  // Told of each row as it is read; empty: no one.
  using RowRead = std::function<void(const MemberRow&)>;
  explicit ListingExportSource(MemberListing& listing, RowRead rowRead = nullptr)
      : MemberColumnsView(listing.Head().captions),
        listing_(listing),
        rowRead_(std::move(rowRead)) {}

  int ItemCount() const override { return static_cast<int>(listing_.Head().count); }
  std::string ItemCaption(int item) const override { return RowAt(item).caption; }
  std::string SubItem(int item, int k) const override;

 private:
  // The row of `item`, read when it is the next one.
  const MemberRow& RowAt(int item) const;

  MemberListing& listing_;
  RowRead rowRead_;
  mutable MemberRow row_;
  mutable int rowItem_ = -1;  // the item row_ holds
};

}  // namespace vorlix::core
