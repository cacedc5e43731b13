#pragma once
// One sheet of a spreadsheet export: its own source, columns, formats, lines and fixed
// additions. The writer of a run (sheet_writer.h) keeps the state of writing it.

#include <memory>
#include <string>
#include <vector>

#include "export/morvat_columns.h"
#include "export/morvat_formats.h"
#include "export/morvat_options.h"
#include "export/morvat_row.h"
#include "export/morvat_strings.h"
#include "export/source_cursor.h"
#include "export/xls/formats.h"
#include "export/xls/sheet_items.h"
#include "export/xls/xls_options.h"

namespace vorlix::exporter::xls {

enum TxlsStripType : uint8_t { ssNone, ssCol, ssRow };

class TxlsSheet : public MorvatSourceSettings {
 public:
  TxlsSheet();
  ~TxlsSheet() override;
  TxlsSheet(const TxlsSheet&) = delete;
  TxlsSheet& operator=(const TxlsSheet&) = delete;

  bool AutoCalcColWidth = false;
  std::string Title;  // UTF-8
  TXLSOptions Options;
  std::vector<TxlsFieldFormat> FieldFormats;
  std::vector<TxlsFormat> StripStyles;
  TxlsStripType StripType = ssNone;
  TxlsHyperlinks Hyperlinks{Options.HyperlinkFormat};
  std::vector<TxlsCell> Cells;
  std::vector<TxlsMergedCells> MergedCells;
  int HeaderRows = 0;    // 16-bit count; 0 means one row per Header line
  int StartDataCol = 0;  // 8-bit column
  int FooterRows = 0;
  MorvatStringList Header, Captions, Footer, UserFormats, ColumnsWidth;
  TMorvatFormats Formats;
  double DefRowHeight = 12.75;  // points
  int DefColWidth = 8;          // characters
  bool AllowCaptions = true;
  bool Exported = true;
  int Tag = 0;

  // Options read by name: the source settings and "Captions", "Formats", "UserFormats",
  // "ColumnsWidth".
  const MorvatStringList* StringsOption(std::string_view name) const override;
  const TMorvatFormats* FormatsOption(std::string_view name) const override;

  // --- The source's columns, row and record counter while a run reads it ---
  TMorvatColumns Columns{*this};
  TMorvatRow Row{Columns};
  int RecordCounter = 0;
  MorvatSourceCursor& Source() { return cursor_; }

 private:
  MorvatSourceCursor cursor_{*this, RecordCounter};
};

// The sheets of a component, in order; a new sheet is titled "Sheet <count>".
class TxlsSheets {
 public:
  TxlsSheet& Add();
  void Delete(int index);
  int Count() const { return static_cast<int>(sheets_.size()); }
  TxlsSheet& operator[](int index) { return *sheets_.at(index); }
  const TxlsSheet& operator[](int index) const { return *sheets_.at(index); }
  int IndexOf(const TxlsSheet* sheet) const;

 private:
  std::vector<std::unique_ptr<TxlsSheet>> sheets_;
};

}  // namespace vorlix::exporter::xls
