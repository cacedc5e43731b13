#pragma once
// The hints of the main window's controls. A hint is a short part and a long part separated by
// "|"; a hint without "|" is both parts at once. The short part is the tooltip of a few tool
// buttons; the long part is what the context help shows.

#include <QString>

class QWidget;

namespace vorlix::app {

// The full hint text of a control of the main window by its object name; empty when it has none.
QString HintFor(const QString& objectName);

// Whether a control's short hint also becomes its tooltip.
enum class Tooltip { kNone, kShortHint };

// Stores the control's hint where the context help reads it; with Tooltip::kShortHint the short
// part also becomes its tooltip.
void ApplyHint(QWidget* control, Tooltip tooltip);

}  // namespace vorlix::app
