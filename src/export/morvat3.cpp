#include "export/morvat3.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/system_info.h"
#include "platform/viewer.h"

namespace vorlix::exporter {

TMorvat3::TMorvat3()
    : Columns(*this, [this](const std::string& text) { return NormalizeText(text); }),
      Row(
          Columns, [this](TMorvatCol& col) { return CellText(col); },
          [this](const std::string& text) { return NormalizeText(text); }),
      cursor_(*this, RecordCounter) {}

TMorvat3::~TMorvat3() = default;

std::unique_ptr<TMorvatWriter> TMorvat3::CreateWriter(MorvatStream& stream) {
  return std::make_unique<TMorvatWriter>(*this, stream);
}

void TMorvat3::ExportToStream(MorvatStream& stream) {
  std::unique_ptr<TMorvatWriter> writer = CreateWriter(stream);
  struct WriterScope {
    TMorvatWriter*& slot;
    ~WriterScope() { slot = nullptr; }
  } scope{Writer};
  Writer = writer.get();
  RunExport();
}

void TMorvat3::RunExport() {
  RecordCounter = 0;
  CheckSource();
  if (!IsSourceActive()) throw EMorvatError::FromTable(msgSourceClosed, SourceName());
  if (!ExportEmpty && IsSourceEmpty()) throw EMorvatError::FromTable(msgSourceEmpty, SourceName());

  // Runs `body`, then `after` also when an error passes (the error wins over one of `after`).
  auto guarded = [](auto&& body, auto&& after) {
    try {
      body();
    } catch (...) {
      try {
        after();
      } catch (...) {
      }
      throw;
    }
    after();
  };

  LockSource();
  guarded(
      [&] {
        BeginExport();
        if (Aborted) return;
        if (AutoCalcColWidth) {
          Columns.CalcColWidths();
          if (Aborted) return;
        }
        guarded(
            [&] {
              if (CaptionsAllowed()) {
                WriteCaptionRow();
                if (Aborted) return;
              }
              if (GoToFirstRecord) FirstRecord();
              BeforeDataRows();
              if (Aborted) return;
              SkipRecords();
              if (Aborted) return;
              RecordCounter = 0;
              while (!EndOfData() && (ExportRecCount == 0 || RecordCounter < ExportRecCount)) {
                if (Aborted && !CanContinue()) break;
                bool accept = true;
                FillRow();
                if (OnBeforeExportRow) OnBeforeExportRow(*this, Row, accept);
                if (accept) {
                  WriteDataRow();
                  if (OnExportedRecord) OnExportedRecord(*this, RecordCounter);
                }
                if (CurrentRecordOnly) break;
                NextRecord();
                // Give other threads a turn now and then; a system call per record would cost
                // more than writing the record.
                if (RecordCounter % kRecordsPerYield == 0) std::this_thread::yield();
              }
              AfterDataRows();
            },
            [&] { EndExport(); });
      },
      [&] { UnlockSource(); });
}

void TMorvat3::BeginExport() {
  Columns.Clear();
  Columns.Fill(BlobFields::kLeftOut);
  Row.Build();
  Aborted = false;
  if (ExportSource == esListView && ListView) {
    int items = ListView->ItemCount();
    SkipRecCount = std::min(SkipRecCount, items);
    if (ExportRecCount > 0) ExportRecCount = std::min(ExportRecCount, items);
  }
  if (OnBeginExport) OnBeginExport(*this);
}

void TMorvat3::EndExport() {
  if (OnEndExport) OnEndExport(*this);
}

bool TMorvat3::EndOfData() {
  return cursor_.EndOfData();
}

std::string TMorvat3::CaptionRowText() {
  std::string text;
  for (int i = 0; i < Columns.Count(); ++i) text += ColumnCaptionText(i);
  return text;
}

void TMorvat3::FillRow() {
  for (int i = 0; i < Columns.Count(); ++i) {
    const TMorvatColumn& column = Columns[i];
    std::string text = cursor_.GetColumnValue(column);
    if (OnGetExportText) OnGetExportText(*this, i, text);
    Row.SetValueOf(i, text, cursor_.IsNull(column));
  }
}

std::string TMorvat3::DataRowText(CellFormat format) {
  std::string text;
  for (int i = 0; i < Row.Count(); ++i) text += Row[i].GetValue(format);
  return text;
}

std::string TMorvat3::ColumnCaptionText(int index) {
  return NormalizeText(Columns[index].Caption);
}

std::string TMorvat3::CellText(TMorvatCol& col) {
  return col.Data;
}

void TMorvat3::SkipRecords() {
  cursor_.SkipRecords(SkipRecCount, [this](int counter) {
    if (OnSkippedRecord) OnSkippedRecord(*this, counter);
  });
}

bool TMorvat3::CanContinue() {
  bool canContinue = false;
  if (OnStopExport) OnStopExport(*this, canContinue);
  Aborted = !canContinue;
  return canContinue;
}

void TMorvat3::ReportFinishing(uint64_t done, uint64_t total) {
  if (Aborted || !OnFinishing) return;
  OnFinishing(*this, done, total);
  if (Aborted) throw EMorvatStopped();
}

std::string TMorvat3::FormatValue(const std::string& text, const std::string& format,
                                  TMorvatColType type) {
  return exporter::FormatValue(text, format, type,
                               [this](const std::string& t) { return NormalizeText(t); });
}

void TMorvat3Text::Execute() {
  if (FileName.empty()) throw EMorvatError("Result file name not present");
  SaveWarnings.clear();
  EnsureOutputDirectory(FileName);
  MorvatFileStream file(FileName);
  try {
    ExportToStream(file);  // on an error the stream's destructor drops what was written
    // An aborted run is incomplete: it must not take the place of a good file.
    if (!Aborted) file.Close(FinishingProgress());
  } catch (const EMorvatStopped&) {
    // Aborted while the file was finished.
  }
  if (Aborted) {
    file.Discard();
    return;
  }
  SaveWarnings = file.Warnings();
  AfterFileWritten();
}

void TMorvat3Text::AfterFileWritten() {
  if (Aborted) return;
  if (ShowFile) ShellVerb("open", FileToShow());
  if (PrintFile) ShellVerb("print", FileToPrint());
}

void TMorvat3Text::ShellVerb(const std::string& verb, const std::string& file) {
  platform::StartViewer(verb, file);
}

const MorvatStringList* TMorvat3FormatText::StringsOption(std::string_view name) const {
  if (name == "Captions") return &Captions;
  if (name == "UserFormats") return &UserFormats;
  if (name == "ColumnsWidth") return OffersColumnsWidth ? &ColumnsWidth : nullptr;
  if (name == "ColumnsAlign") return OffersColumnsAlign ? &ColumnsAlign : nullptr;
  return TMorvat3AdvancedText::StringsOption(name);
}

const TMorvatFormats* TMorvat3FormatText::FormatsOption(std::string_view name) const {
  if (name == "Formats") return &Formats;
  return TMorvat3AdvancedText::FormatsOption(name);
}

std::string OutputDirectory(const std::string& fileName) {
  std::string dir = std::filesystem::path(fileName).parent_path().string();
  return dir.empty() ? platform::ExecutableDirectory() : dir;
}

void EnsureOutputDirectory(const std::string& fileName) {
  std::string dir = OutputDirectory(fileName);
  std::error_code error;
  if (std::filesystem::is_directory(dir, error)) return;
  std::filesystem::create_directories(dir, error);
  if (!std::filesystem::is_directory(dir, error))
    throw EMorvatError::FromTable(msgDirectoryNotCreated, dir);
}

}  // namespace vorlix::exporter
