#pragma once
// The tool bar's glyphs, 16 x 16, drawn in code so the program needs no image files.

#include <QIcon>

namespace vorlix::app {

enum class ToolImage { Exit, Find, Mail, Print, SaveExcel, SaveCsv, WhatsThis };

QIcon ToolbarIcon(ToolImage image);

}  // namespace vorlix::app
