#pragma once
// The help pop-up's picture: the text laid out into display lines, the box with its outline and
// inner frame, the chequered shadow and the runs in their styles and colours.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "help/core/markup.h"
#include "help/core/popup_geometry.h"

namespace vorlix::help {

struct HelpAppearance {
  QFont font;
  QColor fontColor = Qt::black;
  QColor color = QColor(255, 255, 238);
  QColor shadowColor = Qt::black;
  bool showShadow = true;
  int popupWidth = 300;
  bool adjustPopupWidth = true;
  int marginH = 11;
  int marginV = 7;
  MarkupSettings markup;
};

struct HelpLayout {
  // The display lines as they are drawn: tags gone, style and colour running on from one line
  // into the next.
  std::vector<std::vector<Run>> lines;
  PopupMetrics metrics;
  PopupPlacement placement;
};

QFont StyledFont(const QFont& font, unsigned styles);

// Lays the text out and sizes and places the pop-up for a pointer at `pointer` on `screen`.
HelpLayout LayOutHelp(const QString& text, const HelpAppearance& appearance, QPoint pointer,
                      const QRect& screen);

// Paints the picture over `beneath` (what the pop-up will cover, so that the shadow's gaps show
// it); a null pixmap means the window background colour instead.
QImage PaintHelp(const HelpLayout& layout, const HelpAppearance& appearance,
                 const QPixmap& beneath);

}  // namespace vorlix::help
