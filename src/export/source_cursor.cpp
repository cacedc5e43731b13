#include "export/source_cursor.h"

#include <algorithm>

#include "export/morvat_messages.h"
#include "export/source_adapters.h"

namespace vorlix::exporter {

const TMorvatSourceAdapter& TMorvatSourceCursor::Adapter() const {
  return SourceAdapter(settings_.ExportSource);
}

void TMorvatSourceCursor::CheckSource() const {
  if (!Adapter().IsSet(settings_))
    throw EMorvatError::FromTable(msgSourceNotAssigned, SourceName());
}

bool TMorvatSourceCursor::IsSourceActive() const {
  return Adapter().IsActive(settings_);
}

bool TMorvatSourceCursor::IsSourceEmpty() const {
  return Adapter().IsEmpty(settings_);
}

void TMorvatSourceCursor::LockSource() {
  Adapter().Lock(settings_);
}

void TMorvatSourceCursor::UnlockSource() {
  Adapter().Unlock(settings_);
}

void TMorvatSourceCursor::FirstRecord() {
  counter_ = 0;
  Adapter().First(settings_);
}

void TMorvatSourceCursor::NextRecord() {
  ++counter_;
  Adapter().Next(settings_);
}

void TMorvatSourceCursor::SkipRecords(int count, const std::function<void(int)>& onSkipped) {
  for (int i = 0; i < count; ++i) {
    NextRecord();
    if (onSkipped) onSkipped(counter_);
  }
}

int TMorvatSourceCursor::RecordsInRange(int total) const {
  int n = total - std::max(settings_.SkipRecCount, 0);
  if (settings_.ExportRecCount > 0) n = std::min(n, settings_.ExportRecCount);
  return std::max(n, 0);
}

bool TMorvatSourceCursor::EndOfData() const {
  if (const std::optional<int> total = Adapter().CountedRecords(settings_))
    return counter_ >= RecordsInRange(*total);
  return Adapter().Eof(settings_);
}

TMorvatPosition TMorvatSourceCursor::SavePosition() const {
  TMorvatPosition position;
  Adapter().Save(settings_, position);
  return position;
}

void TMorvatSourceCursor::RestorePosition(const TMorvatPosition& position) {
  Adapter().Restore(settings_, position);
}

void TMorvatSourceCursor::FreePosition(TMorvatPosition& position) {
  Adapter().Free(settings_, position);
  position.Bookmark.reset();
}

std::string TMorvatSourceCursor::GetColumnValue(const TMorvatColumn& column) const {
  return Adapter().Value(settings_, counter_, column);
}

bool TMorvatSourceCursor::IsNull(const TMorvatColumn& column) const {
  return Adapter().IsNull(settings_, column);
}

int TMorvatSourceCursor::ListItemCount() const {
  return Adapter().ListItemCount(settings_);
}

std::optional<int> TMorvatSourceCursor::KnownRecordCount() const {
  if (const std::optional<int> total = Adapter().CountedRecords(settings_))
    return RecordsInRange(*total);
  return std::nullopt;
}

}  // namespace vorlix::exporter
