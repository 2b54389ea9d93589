// What the about window paints on its drawing surface: the card, the title box, the subtitle,
// and the close glyph. Text is drawn as a classic text-out: the cell's top-left at the point.
// Positions and sizes are logical pixels; a surface may hold more device pixels than that (see
// toolkit::NewBitmap), so that the card stays sharp on a scaled screen.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <optional>

class QPainter;

namespace about {

inline constexpr QSize SurfaceSize(434, 331);
inline const QColor Navy(0x00, 0x00, 0x80);
inline const QColor Yellow(0xFF, 0xFF, 0x00);
inline const QColor Aqua(0x00, 0xFF, 0xFF);
inline const QColor Silver(0xC0, 0xC0, 0xC0);
inline constexpr int TitleTop = 85;
inline constexpr int SubtitleTop = 135;

// The surface's size in logical pixels, the one its drawing is laid out in.
QSize LogicalSize(const QImage& surface);

QFont ArialPoints(int points, bool bold);

// Draws text in the painter's pen colour with its cell's top-left at the point; the cell is
// first filled with the background, if one is given.
void TextOut(QPainter& painter, const QPoint& at, const QString& text,
             std::optional<QColor> background);

// The card: navy everywhere, the rounded shadow shape, and over it the peach-to-cream gradient
// through GradientFillProc, clipped to the card's rounded region.
void PaintCard(QImage& surface, const QColor& shadow);

// The title box: the caption in yellow on a black cell inside a silver rounded box, centred.
// Returns the hot spot, TitleRect: the cell's columns and the box's rows.
QRect PaintTitle(QImage& surface, const QString& caption);
// Redraws the caption in its cell in the given colour.
void PaintTitleText(QImage& surface, const QRect& titleRect, const QString& caption,
                    const QColor& colour);

// The first whole size from 24 pt down at which the subtitle is no wider than width (1 pt at
// the least).
int SubtitlePointSize(const QImage& surface, const QString& subTitle, int width);
// The subtitle, black without background, centred at SubtitleTop.
void PaintSubtitle(QImage& surface, const QString& subTitle);

// The close glyph: a white cross on a rose rounded square, on black that is meant to be keyed;
// 24 x 24 logical pixels at the given pixel ratio.
QImage CloseGlyph(qreal devicePixelRatio);

// The pixels of an image that are not of the key colour.
QRegion OutsideKey(const QImage& image, const QColor& key);

}  // namespace about
