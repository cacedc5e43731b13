#include "export/xls/morvat3_xls.h"

#include <set>
#include <thread>

#include "export/morvat_messages.h"
#include "export/morvat_strings.h"
#include "export/xls/compound_file.h"
#include "export/xls/text_codec.h"

namespace vorlix::exporter::xls {

namespace {

// Removes the temporary sheet from the collection when the run ends, however it ends.
class TemporarySheetGuard {
 public:
  TemporarySheetGuard(TxlsSheets& sheets, TxlsSheet* sheet) : sheets_(sheets), sheet_(sheet) {}
  ~TemporarySheetGuard() {
    if (sheet_ != nullptr) sheets_.Delete(sheets_.IndexOf(sheet_));
  }

 private:
  TxlsSheets& sheets_;
  TxlsSheet* sheet_;
};

class UnlockGuard {
 public:
  explicit UnlockGuard(MorvatSourceCursor& cursor) : cursor_(cursor) { cursor_.LockSource(); }
  ~UnlockGuard() { cursor_.UnlockSource(); }

 private:
  MorvatSourceCursor& cursor_;
};

}  // namespace

TMorvat3XLS::TMorvat3XLS() {
  OffersColumnsWidth = true;
}

TMorvat3XLS::~TMorvat3XLS() = default;

std::unique_ptr<TMorvatWriter> TMorvat3XLS::CreateWriter(MorvatStream& stream) {
  return std::make_unique<TMorvatXLSWriter>(*this, stream);
}

void TMorvat3XLS::Execute() {
  if (FileName.empty()) throw EMorvatError("Result file name not present");
  EnsureOutputDirectory(FileName);
  RecordCounter = 0;

  TxlsSheet* temporary = nullptr;
  bool anyExported = false;
  for (int i = 0; i < Sheets.Count(); ++i) anyExported = anyExported || Sheets[i].Exported;
  if (!anyExported) {
    temporary = &Sheets.Add();
    FillTemporarySheet(*temporary);
  }
  TemporarySheetGuard guard(Sheets, temporary);
  // Every check that can refuse the run comes before the file is opened.
  CheckSheets();

  SaveWarnings.clear();
  CompoundFile file;
  file.Open(FileName);
  bool complete = false;
  try {
    {
      WorkbookWriter book(file.Stream());
      complete = RunSteps(book);
    }
    if (complete && !Aborted) file.Close(FinishingProgress());
  } catch (const RunStop&) {
    // Stopped: nothing of the run is kept.
    complete = false;
  } catch (const EMorvatStopped&) {
    // Aborted while the file was finished.
  }
  // A stopped or aborted run is incomplete: it must not take the place of a good file. (An
  // error passes on, and the file's destructor drops it just the same.)
  if (!complete || Aborted) {
    file.Discard();
    return;
  }
  SaveWarnings = file.Warnings();
  AfterFileWritten();
}

void TMorvat3XLS::RemoveReference(const void* component) {
  TMorvat3FormatText::RemoveReference(component);
  for (int i = 0; i < Sheets.Count(); ++i) Sheets[i].RemoveReference(component);
}

void TMorvat3XLS::FillTemporarySheet(TxlsSheet& sheet) const {
  sheet.AutoCalcColWidth = AutoCalcColWidth;
  sheet.Title = Options.SheetTitle();
  sheet.Options.Assign(Options);
  // The component's page header and footer are carried over too.
  sheet.Options.PageHeader = Options.PageHeader;
  sheet.Options.PageFooter = Options.PageFooter;
  sheet.FieldFormats = FieldFormats;
  sheet.StripType = StripType;
  sheet.StripStyles = StripStyles;
  sheet.Hyperlinks.Assign(Hyperlinks);
  sheet.Cells = Cells;
  sheet.MergedCells = MergedCells;
  sheet.AssignSourceSettings(*this);
  sheet.HeaderRows = HeaderRows;
  sheet.StartDataCol = StartDataCol;
  sheet.FooterRows = FooterRows;
  sheet.Header.Assign(Header);
  sheet.Captions.Assign(Captions);
  sheet.Footer.Assign(Footer);
  sheet.Formats = Formats;
  sheet.UserFormats.Assign(UserFormats);
  sheet.ColumnsWidth.Assign(ColumnsWidth);
  sheet.AllowCaptions = AllowCaptions;
}

void TMorvat3XLS::CheckSheet(TxlsSheet& sheet) const {
  MorvatSourceCursor& source = sheet.Source();
  try {
    source.CheckSource();
  } catch (const EMorvatError& e) {
    throw EMorvatError("Sheet " + sheet.Title + " define with error: " + e.what());
  }
  if (!source.IsSourceActive()) throw EMorvatError::FromTable(msgSourceClosed, source.SourceName());
  if (!ExportEmpty && source.IsSourceEmpty())
    throw EMorvatError::FromTable(msgSourceEmpty, source.SourceName());
  ValidateSheetSettings(sheet);
  // The size is checked on the columns the sheet would get; the run fills them again.
  sheet.Columns.Clear();
  sheet.Columns.Fill(BlobFields::kLeftOut);
  const bool rowsMayBeLeftOut = OnBeforeExportRow || OnAdvancedBeforeExportRow;
  CheckSheetSize(sheet, rowsMayBeLeftOut ? std::nullopt : source.KnownRecordCount());
}

void TMorvat3XLS::CheckSheets() {
  std::set<std::u16string> titles;
  for (int i = 0; i < Sheets.Count(); ++i) {
    TxlsSheet& sheet = Sheets[i];
    if (!sheet.Exported) continue;
    CheckSheet(sheet);
    // Spreadsheet programs refuse two sheets of one name, in any case.
    if (!titles.insert(FoldCase(Utf16FromUtf8(sheet.Title))).second)
      throw EMorvatError("Sheet \"" + sheet.Title + "\": another sheet has the same title");
  }
}

bool TMorvat3XLS::RunSteps(WorkbookWriter& book) {
  book.WriteGlobalsHead();
  BeginExport();
  BeforeDataRows();
  if (Aborted) throw RunStop{};

  bool complete = true;
  for (int i = 0; i < Sheets.Count(); ++i)
    if (Sheets[i].Exported) complete = ExportSheet(book, Sheets[i], i) && complete;

  book.Finish();
  AfterDataRows();
  EndExport();
  return complete;
}

bool TMorvat3XLS::ExportSheet(WorkbookWriter& book, TxlsSheet& sheet, int index) {
  if (OnBeforeExportSheet) OnBeforeExportSheet(*this, index);
  MorvatSourceCursor& source = sheet.Source();
  UnlockGuard unlock(source);

  // Prepare the sheet: columns, row, cell styles, widths, the list-view range.
  sheet.RecordCounter = 0;
  sheet.Columns.Clear();
  sheet.Columns.Fill(BlobFields::kLeftOut);
  sheet.Row.Build();
  CellEvents events = *this;
  if (OnGetExportText)
    events.EngineGetExportText = [this](int col, std::string& text) {
      OnGetExportText(*this, col, text);
    };
  SheetWriter writer(book, sheet, index, events,
                     TextMeasure != nullptr ? *TextMeasure : DefaultTextMeasure());
  writer.Prepare();
  Aborted = false;
  if (sheet.ExportSource == esListView && sheet.ListView != nullptr) {
    const int items = sheet.ListView->ItemCount();
    sheet.SkipRecCount = std::min(sheet.SkipRecCount, items);
    if (sheet.ExportRecCount > 0) sheet.ExportRecCount = std::min(sheet.ExportRecCount, items);
  }

  writer.WriteSheetHead();
  writer.WriteLines(sheet.Header, sheet.HeaderRows, sheet.Options.HeaderFormat, OnGetHeaderParams);
  if (Aborted) throw RunStop{};
  if (sheet.AllowCaptions) writer.WriteCaptions();
  if (Aborted) throw RunStop{};
  if (sheet.GoToFirstRecord) source.FirstRecord();
  source.SkipRecords(sheet.SkipRecCount, [this](int counter) {
    if (OnSkippedRecord) OnSkippedRecord(*this, counter);
  });
  if (Aborted) throw RunStop{};
  sheet.RecordCounter = 0;

  bool complete = true;
  while (!source.EndOfData()) {
    if (sheet.ExportRecCount > 0 && sheet.RecordCounter >= sheet.ExportRecCount) break;
    if (Aborted && !CanContinue()) {
      complete = false;
      break;
    }
    for (int c = 0; c < sheet.Columns.Count(); ++c) {
      const TMorvatColumn& column = sheet.Columns[c];
      sheet.Row.SetValueOf(c, source.GetColumnValue(column));
    }
    bool accept = true;
    if (OnBeforeExportRow) OnBeforeExportRow(*this, sheet.Row, accept);
    if (accept && OnAdvancedBeforeExportRow)
      OnAdvancedBeforeExportRow(*this, index, sheet.Row, accept);
    if (accept) writer.WriteRecordRow();
    if (sheet.CurrentRecordOnly) break;
    source.NextRecord();
    ++RecordCounter;
    if (OnExportedRecord) OnExportedRecord(*this, RecordCounter);
    if (OnAdvancedExportedRecord) OnAdvancedExportedRecord(*this, index, sheet.RecordCounter);
    // Give up the processor now and then (each time costs a system call).
    if (sheet.RecordCounter % kRecordsPerYield == 0) std::this_thread::yield();
  }

  writer.WriteAggregates();
  if (sheet.AutoCalcColWidth) writer.RewriteColumnWidths();
  writer.WriteLines(sheet.Footer, sheet.FooterRows, sheet.Options.FooterFormat, OnGetFooterParams);
  writer.WriteSheetTail();
  if (OnAfterExportSheet) OnAfterExportSheet(*this, index);
  return complete;
}

}  // namespace vorlix::exporter::xls
