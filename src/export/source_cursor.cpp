#include "export/source_cursor.h"

#include <algorithm>

#include "export/morvat_messages.h"
#include "export/source_adapters.h"

namespace vorlix::exporter {

const MorvatSourceAdapter& MorvatSourceCursor::Adapter() const {
  return SourceAdapter(settings_.ExportSource);
}

void MorvatSourceCursor::CheckSource() const {
  if (!Adapter().IsSet(settings_))
    throw EMorvatError::FromTable(msgSourceNotAssigned, SourceName());
}

bool MorvatSourceCursor::IsSourceActive() const {
  return Adapter().IsActive(settings_);
}

bool MorvatSourceCursor::IsSourceEmpty() const {
  return Adapter().IsEmpty(settings_);
}

void MorvatSourceCursor::LockSource() {
  Adapter().Lock(settings_);
}

void MorvatSourceCursor::UnlockSource() {
  Adapter().Unlock(settings_);
}

void MorvatSourceCursor::FirstRecord() {
  counter_ = 0;
  Adapter().First(settings_);
}

void MorvatSourceCursor::NextRecord() {
  ++counter_;
  Adapter().Next(settings_);
}

void MorvatSourceCursor::SkipRecords(int count, const std::function<void(int)>& onSkipped) {
  for (int i = 0; i < count; ++i) {
    NextRecord();
    if (onSkipped) onSkipped(counter_);
  }
}

int MorvatSourceCursor::RecordsInRange(int total) const {
  int n = total - std::max(settings_.SkipRecCount, 0);
  if (settings_.ExportRecCount > 0) n = std::min(n, settings_.ExportRecCount);
  return std::max(n, 0);
}

bool MorvatSourceCursor::EndOfData() const {
  if (const std::optional<int> total = Adapter().CountedRecords(settings_))
    return counter_ >= RecordsInRange(*total);
  return Adapter().Eof(settings_);
}

MorvatPosition MorvatSourceCursor::SavePosition() const {
  MorvatPosition position;
  Adapter().Save(settings_, position);
  return position;
}

void MorvatSourceCursor::RestorePosition(const MorvatPosition& position) {
  Adapter().Restore(settings_, position);
}

void MorvatSourceCursor::FreePosition(MorvatPosition& position) {
  Adapter().Free(settings_, position);
  position.bookmark.reset();
}

std::string MorvatSourceCursor::GetColumnValue(const TMorvatColumn& column) const {
  return Adapter().Value(settings_, counter_, column);
}

bool MorvatSourceCursor::IsNull(const TMorvatColumn& column) const {
  return Adapter().IsNull(settings_, column);
}

int MorvatSourceCursor::ListItemCount() const {
  return Adapter().ListItemCount(settings_);
}

std::optional<int> MorvatSourceCursor::KnownRecordCount() const {
  if (const std::optional<int> total = Adapter().CountedRecords(settings_))
    return RecordsInRange(*total);
  return std::nullopt;
}

}  // namespace vorlix::exporter
