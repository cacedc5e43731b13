#include "export/morvat_types.h"

namespace vorlix::exporter {

std::string SourceName(TMorvatSource source) {
  switch (source) {
    case esDataSet:
      return "DataSet";
    case esListView:
      return "ListView";
    case esDBGrid:
      return "DBGrid";
    case esStringGrid:
      return "StringGrid";
    case esCustom:
      return "CustomSource";
  }
  return "Unknown";
}

}  // namespace vorlix::exporter
