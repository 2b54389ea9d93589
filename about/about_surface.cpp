#include "about_surface.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>

#include "about/round_rect_region.h"
#include "toolkit/gradient_fill.h"
#include "toolkit/image.h"

namespace about {

namespace {

constexpr int CardCorner = 30;
constexpr int TitleBoxTop = 82;
constexpr int TitleBoxCorner = 10;
constexpr int TitlePoints = 28;
constexpr int SubtitleStartPoints = 25;
const QColor Rose(0xE0, 0x5A, 0x78);

QFont titleFont() {
  return ArialPoints(TitlePoints, true);
}

}  // namespace

QSize LogicalSize(const QImage& surface) {
  return surface.deviceIndependentSize().toSize();
}

QFont ArialPoints(int points, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(points);
  font.setBold(bold);
  return font;
}

void TextOut(QPainter& painter, const QPoint& at, const QString& text,
             std::optional<QColor> background) {
  const QFontMetrics metrics = painter.fontMetrics();
  if (background) {
    painter.fillRect(QRect(at, QSize(metrics.horizontalAdvance(text), metrics.height())),
                     *background);
  }
  painter.drawText(at + QPoint(0, metrics.ascent()), text);
}

void PaintCard(QImage& surface, const QColor& shadow) {
  const int w = LogicalSize(surface).width();
  const int h = LogicalSize(surface).height();
  surface.fill(Navy);
  QPainter painter(&surface);
  painter.setPen(Qt::black);
  painter.setBrush(shadow);
  // From (1, 1) to (w, h), right and bottom edges outside, outline included.
  painter.drawRoundedRect(QRect(1, 1, w - 2, h - 2), CardCorner / 2, CardCorner / 2);
  painter.setClipRegion(RoundRectRegion(QRect(0, 0, w - 1, h - 1), CardCorner, CardCorner));
  const toolkit::TRIVERTEX vertices[] = {
      {0, 0, 0xFFFF, 0xDDDD, 0xBBBB, 0},
      {w, h, 0xFFFF, 0xFBFB, 0xF0F0, 0},
  };
  const toolkit::GRADIENT_RECT mesh{1, 0};
  toolkit::GradientFillProc(&painter, vertices, 2, &mesh, 1, toolkit::GRADIENT_FILL_RECT_V);
}

QRect PaintTitle(QImage& surface, const QString& caption) {
  const int w = LogicalSize(surface).width();
  QPainter painter(&surface);
  painter.setFont(titleFont());
  const QFontMetrics metrics = painter.fontMetrics();
  const int cw = metrics.horizontalAdvance(caption);
  const int ch = metrics.height();
  const int left = (w - cw) / 2;
  const int right = (w + cw) / 2;
  const int bottom = ch + 88;
  painter.setPen(Qt::black);
  painter.setBrush(Silver);
  painter.drawRoundedRect(
      QRect(left - 3, TitleBoxTop, right + 3 - (left - 3) - 1, bottom - TitleBoxTop - 1),
      TitleBoxCorner / 2, TitleBoxCorner / 2);
  painter.setPen(Yellow);
  TextOut(painter, QPoint(left, TitleTop), caption, QColor(Qt::black));
  return QRect(QPoint(left, TitleBoxTop), QPoint(right - 1, bottom - 1));
}

void PaintTitleText(QImage& surface, const QRect& titleRect, const QString& caption,
                    const QColor& colour) {
  QPainter painter(&surface);
  painter.setFont(titleFont());
  painter.setPen(colour);
  TextOut(painter, QPoint(titleRect.left(), TitleTop), caption, QColor(Qt::black));
}

int SubtitlePointSize(const QImage& surface, const QString& subTitle, int width) {
  int points = SubtitleStartPoints;
  int measured = 0;
  do {
    --points;
    measured = QFontMetrics(ArialPoints(points, false), &surface).horizontalAdvance(subTitle);
  } while (measured > width && points > 1);
  return points;
}

void PaintSubtitle(QImage& surface, const QString& subTitle) {
  QPainter painter(&surface);
  const int w = LogicalSize(surface).width();
  painter.setFont(ArialPoints(SubtitlePointSize(surface, subTitle, w), false));
  painter.setPen(Qt::black);
  const int sw = painter.fontMetrics().horizontalAdvance(subTitle);
  TextOut(painter, QPoint((w - sw) / 2, SubtitleTop), subTitle, std::nullopt);
}

QImage CloseGlyph(qreal devicePixelRatio) {
  QImage glyph = toolkit::NewBitmap(QSize(24, 24), devicePixelRatio);
  glyph.fill(Qt::black);
  QPainter painter(&glyph);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Rose);
  painter.drawRoundedRect(QRect(1, 1, 22, 22), 5, 5);
  painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap));
  painter.drawLine(7, 7, 16, 16);
  painter.drawLine(16, 7, 7, 16);
  return glyph;
}

QRegion OutsideKey(const QImage& image, const QColor& key) {
  return QRegion(QBitmap::fromImage(image.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
}

}  // namespace about
