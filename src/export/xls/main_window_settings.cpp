#include "export/xls/main_window_settings.h"

namespace vorlix::exporter::xls {

void ConfigureAsMainWindowXlsExporter(TMorvat3XLS& exporter, IMorvatListView* memberTable) {
  exporter.ExportSource = esListView;
  exporter.ListView = memberTable;
  exporter.Options.PageFooter = "Page &P of &N";
  exporter.Options.SetSheetTitle("Sheet 1");
  exporter.Options.CaptionsFormat.Font.Style = xfsBold;
  exporter.Options.HyperlinkFormat.Font.Color = clrBlue;
  exporter.Options.HyperlinkFormat.Font.Underline = fulSingle;
  TxlsNoteFormat& note = exporter.Options.NoteFormat;
  note.Alignment.Horizontal = halLeft;
  note.Alignment.Vertical = valTop;
  note.Font.Name = "Tahoma";
  note.Font.Size = 8;
  note.Font.Style = xfsBold;
}

}  // namespace vorlix::exporter::xls
