#pragma once
// Where a widget keeps its hint for the context help, and the Qt side of choosing the help
// control: the widget at a screen point and the control whose hint is shown for it.

#include <QPoint>
#include <QString>

class QWidget;

namespace vorlix::help {

// Dynamic properties read by the context help.
inline constexpr const char* kHintProperty = "hint";  // QString: short part "|" long part
inline constexpr const char* kTagProperty = "tag";    // int; kOwnerHelpTag lends the owner's help
inline constexpr const char* kModalResultProperty = "modalResult";  // int, on push buttons
// bool: the widget answers right-button presses and releases itself, so the right-click menu
// stays away from it.
inline constexpr const char* kMouseHandlersProperty = "mouseHandlers";

QString HintOf(const QWidget* control);
void SetHint(QWidget* control, const QString& hint);
QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);

// The innermost visible widget at a screen point, disabled and mouse-transparent ones included;
// none when no window of this program lies there.
QWidget* WidgetAtScreenPoint(QPoint global);

// The control whose long hint the help shows for `widget`: the widget itself or an owner or
// parent of it; none when none has help. A push button without help gets a standard text for
// good (see ChooseHelpControl).
QWidget* HelpControlFor(QWidget* widget);

// Whether a pop-up window (a menu, a drop-down list, a help pop-up) lies at the screen point.
bool PopupAt(QPoint global);

}  // namespace vorlix::help
