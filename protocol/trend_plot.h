// The SDNR trend drawn with QPainter: one routine for the history window and for the protocol,
// so that the paper shows what the screen shows.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QRectF>

#include "trend_data.h"

namespace protocol {

// All opaque: PDF/A-1b allows no transparency, so the band is mixed with the ground beforehand.
struct TrendColors {
  QColor background;
  QColor text;  // labels, axes, the measured values
  QColor grid;
  QColor reference;  // the reference value's line
  QColor band;       // the tolerance band
  QColor failed;     // a failed value's marker, as a second cue besides its shape
};

// Colours that read on the given ground: darker accents on a light one, lighter on a dark one.
TrendColors TrendColorsFor(const QColor& background, const QColor& text);
// For a window in any theme: the palette's base and text.
TrendColors TrendColorsFor(const QPalette& palette);

// Draws the trend into area with the painter's font: a legend on top, then one panel per
// thickness (titled "46 mm") above a shared date axis (TT.MM.JJJJ for short periods, MM.JJJJ for
// longer ones), each with its own value axis (decimal comma), the reference value as a step
// line and the tolerance band. A passed value is a filled circle, a failed one a triangle, one
// without a verdict (no reference or no rule) a hollow circle. Without points the area holds
// "Keine Messungen im Zeitraum". Sizes follow the font, so the same call suits a widget and a
// 1200 dpi page; the painter's state is left as it was.
void DrawTrend(QPainter& painter, const QRectF& area, const TrendData& trend,
               const TrendColors& colors);

}  // namespace protocol
