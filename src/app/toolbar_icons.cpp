#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vorlix::app {

namespace {

constexpr int kSize = 16;

// An open door with an arrow leaving through it.
void DrawExit(QPainter& p) {
  p.setPen(QPen(QColor(90, 60, 20), 1));
  p.setBrush(QColor(200, 150, 80));
  p.drawRect(2, 1, 8, 13);
  p.setBrush(QColor(120, 80, 30));
  p.drawPolygon(QPolygon({{2, 1}, {7, 3}, {7, 15}, {2, 14}}));
  p.setPen(QPen(QColor(0, 120, 0), 2));
  p.drawLine(9, 8, 15, 8);
  p.drawLine(12, 5, 15, 8);
  p.drawLine(12, 11, 15, 8);
}

// A magnifying glass.
void DrawFind(QPainter& p) {
  p.setPen(QPen(QColor(40, 40, 40), 1.5));
  p.setBrush(QColor(170, 210, 250));
  p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
  p.setPen(QPen(QColor(110, 70, 20), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 10), QPointF(14, 14));
}

// A closed envelope.
void DrawMail(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(250, 245, 210));
  p.drawRect(1, 3, 14, 10);
  p.drawPolyline(QPolygon({{1, 3}, {8, 9}, {15, 3}}));
}

// A printer with a sheet.
void DrawPrint(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(Qt::white);
  p.drawRect(4, 1, 8, 6);
  p.setBrush(QColor(170, 170, 170));
  p.drawRect(1, 6, 14, 6);
  p.setBrush(Qt::white);
  p.drawRect(4, 10, 8, 5);
  p.setPen(QColor(0, 150, 0));
  p.drawPoint(13, 8);
}

// A sheet with a green grid.
void DrawSaveExcel(QPainter& p) {
  p.setPen(QPen(QColor(0, 100, 40), 1));
  p.setBrush(Qt::white);
  p.drawRect(1, 1, 14, 14);
  p.fillRect(2, 2, 13, 3, QColor(60, 160, 90));
  for (int x = 5; x < 15; x += 4) p.drawLine(x, 2, x, 14);
  for (int y = 5; y < 15; y += 3) p.drawLine(2, y, 14, y);
}

// A page with text lines split by semicolons.
void DrawSaveCsv(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygon({{2, 1}, {10, 1}, {14, 5}, {14, 15}, {2, 15}}));
  p.drawPolyline(QPolygon({{10, 1}, {10, 5}, {14, 5}}));
  p.setPen(QColor(40, 80, 180));
  for (int y = 7; y <= 13; y += 3) {
    p.drawLine(4, y, 6, y);
    p.drawLine(9, y, 12, y);
  }
  p.setPen(QColor(200, 40, 40));
  for (int y = 7; y <= 13; y += 3) p.drawPoint(7, y);
}

// An arrow pointer with a question mark.
void DrawWhatsThis(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygon({{1, 1}, {1, 12}, {4, 9}, {6, 14}, {8, 13}, {6, 8}, {10, 8}}));
  QFont font = p.font();
  font.setPixelSize(10);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0, 0, 160));
  p.drawText(QRect(8, 0, 8, 12), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QIcon ToolbarIcon(ToolImage image) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, true);
  switch (image) {
    case ToolImage::Exit:
      DrawExit(painter);
      break;
    case ToolImage::Find:
      DrawFind(painter);
      break;
    case ToolImage::Mail:
      DrawMail(painter);
      break;
    case ToolImage::Print:
      DrawPrint(painter);
      break;
    case ToolImage::SaveExcel:
      DrawSaveExcel(painter);
      break;
    case ToolImage::SaveCsv:
      DrawSaveCsv(painter);
      break;
    case ToolImage::WhatsThis:
      DrawWhatsThis(painter);
      break;
  }
  painter.end();
  return QIcon(pixmap);
}

}  // namespace vorlix::app
