#include "round_rect_region.h"

#include <QPainterPath>
#include <QPolygon>

namespace about {

QRegion RoundRectRegion(const QRect& bounds, int ellipseWidth, int ellipseHeight) {
  QPainterPath path;
  path.addRoundedRect(QRectF(bounds), ellipseWidth / 2.0, ellipseHeight / 2.0);
  return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

}  // namespace about
