// The region of a rounded rectangle, as clipping and window shapes use it.
#pragma once

#include <QRegion>

namespace about {

// bounds' right and bottom edges lie outside; each corner is cut by a quarter of an ellipse of
// ellipseWidth × ellipseHeight.
QRegion RoundRectRegion(const QRect& bounds, int ellipseWidth, int ellipseHeight);

}  // namespace about
