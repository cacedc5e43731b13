#pragma once
// The export components: TMorvat3 > TMorvat3Text > TMorvat3AdvancedText > TMorvat3FormatText.
//
// How an exporter plugs in:
// - Derive from TMorvat3FormatText. The run (ExportToStream -> RunExport) calls, in order:
//   CheckSource, IsSourceActive, IsSourceEmpty, LockSource, BeginExport, [Columns.CalcColWidths
//   when AutoCalcColWidth], WriteCaptionRow (when AllowCaptions), FirstRecord (when
//   GoToFirstRecord), BeforeDataRows, SkipRecords, then per record FillRow, OnBeforeExportRow,
//   WriteDataRow, OnExportedRecord, NextRecord; then AfterDataRows, EndExport, UnlockSource.
//   EndExport and UnlockSource also run when an error passes. The work that follows the last row
//   (assembling, compressing and saving the file) reports through ReportFinishing, which stops it
//   when a handler of OnFinishing aborts the run.
// - Override the virtuals you need: BeginExport / EndExport (call the base first in BeginExport,
//   and last in EndExport, which fires OnEndExport), WriteCaptionRow, WriteDataRow,
//   ColumnCaptionText, CellText, CaptionRowText, DataRowText, NormalizeText,
//   SpecialCharacters, Abort.
// - CreateWriter(stream) returns the writer of the format; ExportToStream creates it before the
//   run, keeps it in `Writer` for the run, and destroys it afterwards in every case. Return a
//   class derived from TMorvatWriter to carry format state (a document, a workbook).
// - Options are read by name (morvat_options.h): TMorvat3 answers the source settings,
//   TMorvat3FormatText adds "Captions", "Formats" and "UserFormats", and "ColumnsWidth" /
//   "ColumnsAlign" when the exporter sets OffersColumnsWidth / OffersColumnsAlign. Override
//   IntegerOption, StringsOption, ... (calling the base) to offer more, e.g. "OnFetchedRecord".
// - An exporter with a run of its own (a spreadsheet with several sheets) replaces Execute:
//   EnsureOutputDirectory, MorvatFileStream, BeginExport / EndExport, CanContinue,
//   AfterFileWritten and a MorvatSourceCursor per sheet are the building blocks.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/morvat_columns.h"
#include "export/morvat_formats.h"
#include "export/morvat_messages.h"
#include "export/morvat_options.h"
#include "export/morvat_row.h"
#include "export/morvat_stream.h"
#include "export/morvat_writer.h"
#include "export/source_cursor.h"

namespace vorlix::exporter {

class TMorvat3;

using TMorvatNotifyEvent = std::function<void(TMorvat3& sender)>;
using TMorvatRecNoEvent = std::function<void(TMorvat3& sender, int recNo)>;
using TMorvatStopEvent = std::function<void(TMorvat3& sender, bool& canContinue)>;
using TMorvatGetTextEvent = std::function<void(TMorvat3& sender, int colNo, std::string& text)>;
using TMorvatBeforeRowEvent = std::function<void(TMorvat3& sender, TMorvatRow& row, bool& accept)>;
using TMorvatFinishEvent = std::function<void(TMorvat3& sender, uint64_t done, uint64_t total)>;

class TMorvat3 : public MorvatSourceSettings {
 public:
  TMorvat3();
  ~TMorvat3() override;
  TMorvat3(const TMorvat3&) = delete;
  TMorvat3& operator=(const TMorvat3&) = delete;

  // Options (the source settings come from MorvatSourceSettings).
  bool ExportEmpty = true;
  // Lists and formats owned here and offered as options by the descendants.
  MorvatStringList Header, Footer, Captions, UserFormats, ColumnsWidth, ColumnsAlign;
  TMorvatFormats Formats;
  bool AutoCalcColWidth = false;

  // Events.
  TMorvatNotifyEvent OnBeginExport;
  TMorvatNotifyEvent OnEndExport;
  TMorvatRecNoEvent OnSkippedRecord;   // counter after the step (1, 2, ...)
  TMorvatRecNoEvent OnExportedRecord;  // RecordCounter of the row written (0, 1, ...)
  TMorvatStopEvent OnStopExport;       // canContinue comes in false
  TMorvatGetTextEvent OnGetExportText;
  TMorvatBeforeRowEvent OnBeforeExportRow;  // accept comes in true
  // The work after the last row, `done` of `total` (0: unknown), up to the moment the file takes
  // the target's place. A handler may call Abort: the work stops there, and the target stays as
  // it was.
  TMorvatFinishEvent OnFinishing;

  // Run state.
  int RecordCounter = 0;
  bool Aborted = false;
  std::string Title;
  TMorvatColumns Columns;
  TMorvatRow Row;
  TMorvatWriter* Writer = nullptr;  // during ExportToStream only

  // Runs into an open stream, which stays the caller's.
  void ExportToStream(MorvatStream& stream);

  // Virtual operations.
  virtual std::unique_ptr<TMorvatWriter> CreateWriter(MorvatStream& stream);
  // Builds columns and row, clears Aborted, clamps the list-view range, fires OnBeginExport.
  virtual void BeginExport();
  virtual void BeforeDataRows() {}
  virtual void AfterDataRows() {}
  // Fires OnEndExport.
  virtual void EndExport();
  virtual bool EndOfData();
  virtual std::string CaptionRowText();
  virtual void WriteCaptionRow() {}
  // Reads the record in hand into the row (OnGetExportText may change each text).
  virtual void FillRow();
  virtual std::string DataRowText(CellFormat format);
  virtual void WriteDataRow() {}
  virtual std::string ColumnCaptionText(int index);
  virtual std::string CellText(TMorvatCol& col);
  // Characters the format must escape.
  virtual std::string SpecialCharacters() const { return {}; }
  virtual void Execute() {}
  virtual void Abort() { Aborted = true; }
  virtual std::string NormalizeText(const std::string& text) { return text; }
  // Whether the run writes a caption row (TMorvat3FormatText: AllowCaptions).
  virtual bool CaptionsAllowed() const { return false; }

  // Source operations over this exporter's settings and RecordCounter.
  MorvatSourceCursor& Source() { return cursor_; }
  void CheckSource() const { cursor_.CheckSource(); }
  bool IsSourceActive() const { return cursor_.IsSourceActive(); }
  bool IsSourceEmpty() const { return cursor_.IsSourceEmpty(); }
  void LockSource() { cursor_.LockSource(); }
  void UnlockSource() { cursor_.UnlockSource(); }
  void FirstRecord() { cursor_.FirstRecord(); }
  void NextRecord() { cursor_.NextRecord(); }
  // SkipRecCount times NextRecord, each followed by OnSkippedRecord.
  void SkipRecords();
  std::string GetColumnValue(const TMorvatColumn& column) const {
    return cursor_.GetColumnValue(column);
  }
  // Fires OnStopExport (canContinue coming in false), sets Aborted to the negated answer and
  // returns the answer.
  bool CanContinue();
  // Fires OnFinishing, unless the run was aborted before (it then finishes as it always did);
  // raises EMorvatStopped when the handler aborted it.
  void ReportFinishing(uint64_t done, uint64_t total);
  // ReportFinishing as the progress of a finishing step.
  FinishProgress FinishingProgress() {
    return [this](uint64_t done, uint64_t total) { ReportFinishing(done, total); };
  }
  // FormatValue with this exporter's NormalizeText.
  std::string FormatValue(const std::string& text, const std::string& format, TMorvatColType type);
  std::string SourceName() const { return exporter::SourceName(ExportSource); }

 protected:
  // The run of ExportToStream, with the writer in place.
  virtual void RunExport();

 private:
  MorvatSourceCursor cursor_;
};

class TMorvat3Text : public TMorvat3 {
 public:
  std::string FileName;
  bool ShowFile = false;
  bool PrintFile = false;
  // What the file that Execute replaced carried and the new one could not keep (its group, its
  // access control list, ...), one sentence each; empty when it kept everything.
  std::vector<std::string> SaveWarnings;

  // Checks and creates the directory, runs into the output file (platform/output_file.h) and puts
  // it in place of FileName when the run completes without an abort, then AfterFileWritten. A
  // failed or aborted run, also one aborted while the file is finished, leaves an existing file
  // as it was.
  void Execute() override;
  // Unless Aborted: "open" on FileToShow when ShowFile, "print" on FileToPrint when PrintFile.
  virtual void AfterFileWritten();
  virtual std::string FileToShow() const { return FileName; }
  virtual std::string FileToPrint() const { return FileName; }

 protected:
  // Hands a file to the desktop ("open") or the print spooler ("print"); does not wait.
  virtual void ShellVerb(const std::string& verb, const std::string& file);
};

class TMorvat3AdvancedText : public TMorvat3Text {};

class TMorvat3FormatText : public TMorvat3AdvancedText {
 public:
  bool AllowCaptions = true;
  bool CaptionsAllowed() const override { return AllowCaptions; }

  // Offers "Captions", "Formats", "UserFormats", and the width and alignment lists when the
  // exporter says so.
  const MorvatStringList* StringsOption(std::string_view name) const override;
  const TMorvatFormats* FormatsOption(std::string_view name) const override;

 protected:
  bool OffersColumnsWidth = false;
  bool OffersColumnsAlign = false;
};

// The directory a file is written in: the directory part of the name, or the directory of the
// running program when the name has none.
std::string OutputDirectory(const std::string& fileName);

// Creates the output directory of `fileName` with every missing parent; raises 34025 with the
// directory when it still does not exist.
void EnsureOutputDirectory(const std::string& fileName);

}  // namespace vorlix::exporter
