#include "app/tool_separator.h"

#include <QPainter>

namespace vorlix::app {

ToolSeparator::ToolSeparator(int width, QWidget* parent) : QWidget(parent) {
  setFixedWidth(width);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void ToolSeparator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int x = width() / 2 - 1;
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(x, 3, x, height() - 4);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(x + 1, 3, x + 1, height() - 4);
}

}  // namespace vorlix::app
