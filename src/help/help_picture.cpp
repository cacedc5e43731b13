#include "help/help_picture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <array>
#include <optional>

#include "help/core/line_layout.h"

namespace vorlix::help {

namespace {

unsigned StylesOf(const QFont& font) {
  return (font.bold() ? kBold : 0u) | (font.italic() ? kItalic : 0u) |
         (font.underline() ? kUnderline : 0u) | (font.strikeOut() ? kStrikeOut : 0u);
}

Rgb ToRgb(const QColor& color) {
  return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
          static_cast<std::uint8_t>(color.blue())};
}

QColor ToQColor(const Rgb& colour) {
  return QColor(colour.r, colour.g, colour.b);
}

RunStyle FontRun(const HelpAppearance& appearance) {
  return {StylesOf(appearance.font), ToRgb(appearance.fontColor)};
}

// Font metrics for each of the sixteen style combinations, made on first use.
class StyledMetrics {
 public:
  explicit StyledMetrics(const QFont& font) : font_(font) {}
  const QFontMetrics& For(unsigned styles) {
    std::optional<QFontMetrics>& metrics = metrics_[styles & 15u];
    if (!metrics) metrics.emplace(StyledFont(font_, styles));
    return *metrics;
  }

 private:
  QFont font_;
  std::array<std::optional<QFontMetrics>, 16> metrics_;
};

QRect ToQRect(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

// A one-pixel outline along the rectangle's own border pixels.
void DrawOutline(QPainter& painter, const PixelRect& rect, const QColor& color) {
  painter.setPen(QPen(color, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
}

}  // namespace

QFont StyledFont(const QFont& font, unsigned styles) {
  QFont styled(font);
  styled.setBold((styles & kBold) != 0);
  styled.setItalic((styles & kItalic) != 0);
  styled.setUnderline((styles & kUnderline) != 0);
  styled.setStrikeOut((styles & kStrikeOut) != 0);
  return styled;
}

HelpLayout LayOutHelp(const QString& text, const HelpAppearance& appearance, QPoint pointer,
                      const QRect& screen) {
  StyledMetrics metrics(appearance.font);
  const MeasureRun measure = [&metrics](const std::u32string& run, unsigned styles) {
    return metrics.For(styles).horizontalAdvance(QString::fromStdU32String(run));
  };
  WrapSettings wrap;
  wrap.markup = appearance.markup;
  wrap.font = FontRun(appearance);
  wrap.popupWidth = appearance.popupWidth;
  wrap.marginH = appearance.marginH;
  const LineLayout wrapped = WrapText(text.toStdU32String(), wrap, measure);

  HelpLayout layout;
  RunStyle state = wrap.font;
  for (const std::u32string& line : wrapped.lines) {
    layout.lines.push_back(ScanMarkup(line, appearance.markup, state, wrap.font));
  }
  layout.metrics.lineCount = static_cast<int>(wrapped.lines.size());
  layout.metrics.lineHeight = QFontMetrics(appearance.font).height();
  layout.metrics.widestEndX = wrapped.widestEndX;
  layout.metrics.marginH = appearance.marginH;
  layout.metrics.marginV = appearance.marginV;
  layout.metrics.popupWidth = appearance.popupWidth;
  layout.metrics.adjustPopupWidth = appearance.adjustPopupWidth;
  layout.metrics.showShadow = appearance.showShadow;
  layout.placement = PlacePopup(layout.metrics, {pointer.x(), pointer.y()},
                                {screen.left(), screen.top(), screen.left() + screen.width(),
                                 screen.top() + screen.height()});
  return layout;
}

QImage PaintHelp(const HelpLayout& layout, const HelpAppearance& appearance,
                 const QPixmap& beneath) {
  const PopupPlacement& placement = layout.placement;
  QImage image(placement.width, placement.height, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  if (beneath.isNull()) {
    image.fill(QApplication::palette().color(QPalette::Window));
  } else {
    painter.drawPixmap(image.rect(), beneath);
  }

  painter.fillRect(ToQRect(placement.box), appearance.color);
  DrawOutline(painter, placement.box, Qt::black);
  DrawOutline(painter, placement.frame, QApplication::palette().color(QPalette::Button));

  // A word too wide for the box is cut at the inner frame.
  const PixelRect& frame = placement.frame;
  painter.setClipRect(QRect(frame.left + 1, frame.top + 1, frame.Width() - 2, frame.Height() - 2));
  StyledMetrics metrics(appearance.font);
  const int lineHeight = layout.metrics.lineHeight;
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const PixelPoint origin = placement.LineOrigin(static_cast<int>(i), layout.metrics);
    int x = origin.x;
    for (const Run& run : layout.lines[i]) {
      const QString text = QString::fromStdU32String(run.text);
      const QFontMetrics& runMetrics = metrics.For(run.style.styles);
      const int width = runMetrics.horizontalAdvance(text);
      painter.fillRect(x, origin.y, width, lineHeight, appearance.color);
      painter.setFont(StyledFont(appearance.font, run.style.styles));
      painter.setPen(ToQColor(run.style.colour));
      painter.drawText(QPoint(x, origin.y + runMetrics.ascent()), text);
      x += width;
    }
  }
  painter.end();

  if (appearance.showShadow) {
    for (const PixelPoint& pixel : ShadowPixels(placement.width, placement.height)) {
      image.setPixelColor(pixel.x, pixel.y, appearance.shadowColor);
    }
  }
  return image;
}

}  // namespace vorlix::help
