#pragma once
// Enumerations shared by the export engine and every exporter.

#include <string>

namespace vorlix::exporter {

// Which of the five source references an exporter (or a sheet) reads.
enum TMorvatSource { esDataSet, esListView, esDBGrid, esStringGrid, esCustom };

// Value type of an exported column; decides formatting and default alignment.
enum TMorvatColType {
  ectInteger,
  ectBigint,
  ectFloat,
  ectCurrency,
  ectDate,
  ectTime,
  ectDateTime,
  ectString,
  ectBoolean,
  ectUnknown
};

enum TMorvatColAlign { ecaLeft, ecaCenter, ecaRight };

// Record loops give up the rest of their time slice once per this many records.
inline constexpr int kRecordsPerYield = 256;

// Name of a source kind as messages show it: "DataSet", "ListView", "DBGrid", "StringGrid",
// "CustomSource".
std::string SourceName(TMorvatSource source);

}  // namespace vorlix::exporter
