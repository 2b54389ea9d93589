// The optional gradient module: GradientFill for rectangle meshes, horizontal or vertical.
#include <QLinearGradient>
#include <QPainter>

#include "toolkit/gradient_fill.h"

namespace {

using toolkit::GRADIENT_RECT;
using toolkit::TRIVERTEX;

QColor colourOf(const TRIVERTEX& v) {
  return QColor::fromRgba64(v.Red, v.Green, v.Blue, 0xFFFF);
}

}  // namespace

extern "C" Q_DECL_EXPORT bool GradientFill(QPainter* dc, const TRIVERTEX* vertices,
                                           std::uint32_t vertexCount, const void* mesh,
                                           std::uint32_t meshCount, std::uint32_t mode) {
  if (dc == nullptr || !dc->isActive() || mesh == nullptr) return false;
  if (mode != toolkit::GRADIENT_FILL_RECT_H && mode != toolkit::GRADIENT_FILL_RECT_V) return false;
  const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
  for (std::uint32_t i = 0; i < meshCount; ++i) {
    if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount) return false;
    const TRIVERTEX& from = vertices[rects[i].UpperLeft];
    const TRIVERTEX& to = vertices[rects[i].LowerRight];
    const QRect area(QPoint(from.x, from.y), QPoint(to.x - 1, to.y - 1));
    // The colours sit on the first and last pixel rows (or columns) of the rectangle.
    QLinearGradient gradient = mode == toolkit::GRADIENT_FILL_RECT_V
                                   ? QLinearGradient(0, area.top() + 0.5, 0, area.bottom() + 0.5)
                                   : QLinearGradient(area.left() + 0.5, 0, area.right() + 0.5, 0);
    gradient.setColorAt(0, colourOf(from));
    gradient.setColorAt(1, colourOf(to));
    dc->fillRect(area, gradient);
  }
  return true;
}
