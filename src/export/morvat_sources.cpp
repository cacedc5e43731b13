#include "export/morvat_sources.h"

namespace vorlix::exporter {

EListIndexError::EListIndexError(int index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

bool IsBlobField(TMorvatFieldType type) {
  return type == ftMemo || type == ftBlob;
}

TMorvatColType ColTypeOfField(TMorvatFieldType type) {
  switch (type) {
    case ftString:
    case ftWideString:
    case ftMemo:
    case ftBlob:
      return ectString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      return ectInteger;
    case ftLargeint:
      return ectBigint;
    case ftFloat:
    case ftBCD:
      return ectFloat;
    case ftCurrency:
      return ectCurrency;
    case ftDate:
      return ectDate;
    case ftTime:
      return ectTime;
    case ftDateTime:
    case ftTimeStamp:
      return ectDateTime;
    case ftBoolean:
      return ectBoolean;
    case ftUnknown:
      break;
  }
  return ectUnknown;
}

}  // namespace vorlix::exporter
