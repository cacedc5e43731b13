#include "app/hints.h"

#include <QWidget>

#include "help/hint_property.h"

namespace vorlix::app {

namespace {

struct HintEntry {
  const char* objectName;
  const char* text;
};

// Lines of a long part are separated by CR LF; trailing blanks and runs of blanks are part of the
// texts.
const HintEntry kHints[] = {
    {"exitexit", "Exit"},
    {"edit1",
     "Enter group or workstation group|Enter the groupname of workstatation groupname. \r\n"
     "\r\n"
     "The program will add an * at the end and then do a search in the eDirectory.\r\n"
     "\r\n"
     "If there is more then one fit, the program show a selection box. On select (double click) "
     "the info for that group is shown. \r\n"
     "\r\n"
     "Use[B] ESC[] if the search is wrong."},
    {"ToolButton4", "Find"},
    {"cb1", "|Select Group or Workstation group."},
    {"ToolButton6",
     "Mail|This will invoke the default mailer client, and fill the to-field with all the "
     "shortnames of the members of the group.\r\n"
     "Only tested with Groupwise where the username and groupwise username are the same."},
    {"ToolButton2", "Print|This will \"print\" the information to a (simple) pdf file."},
    {"ToolButton9", "Save to Excel|Save to Excel"},
    {"ToolButton10", "Save to CSV|Save to CSV"},
    {"memo1", "|Here the program show the result"},
    {"sbar",
     "|On the status bar there are 3 area's.\r\n"
     "\r\n"
     "most left:          the number of items.\r\n"
     "In the middle:   the description of the group (if available)\r\n"
     "On the right:     the fullname of the group."},
};

}  // namespace

QString HintFor(const QString& objectName) {
  for (const HintEntry& entry : kHints) {
    if (objectName == QLatin1String(entry.objectName)) return QString::fromLatin1(entry.text);
  }
  return QString();
}

void ApplyHint(QWidget* control, Tooltip tooltip) {
  const QString hint = HintFor(control->objectName());
  help::SetHint(control, hint);
  if (tooltip == Tooltip::kShortHint) control->setToolTip(help::ShortHint(hint));
}

}  // namespace vorlix::app
