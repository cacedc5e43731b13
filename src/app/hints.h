#pragma once
// The hints of the main window's controls. A hint is a short part and a long part separated by
// "|"; a hint without "|" is both parts at once. The short part is the tooltip of a few tool
// buttons; the long part is the context help text.

#include <QString>

class QWidget;

namespace vorlix::app {

// The full hint text of a control of the main window by its object name; empty when it has none.
QString HintFor(const QString& objectName);

// The part before the first "|" (the whole text when there is none).
QString ShortHint(const QString& hint);
// The part after the first "|" (the whole text when there is none).
QString LongHint(const QString& hint);

// The dynamic property under which every control keeps its full hint text.
inline constexpr const char* kHintProperty = "hint";

// Stores the control's hint (property and What's-This text); with showTooltip the short part also
// becomes its tooltip.
void ApplyHint(QWidget* control, bool showTooltip);

}  // namespace vorlix::app
