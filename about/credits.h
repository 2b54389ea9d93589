// The credits scroller's picture and its scroll step: every role with the author line under it,
// drawn once, then shown through two block copies per step, moving up by one pixel each time.
#pragma once

#include <QImage>
#include <QRegion>
#include <QStringList>
#include <cstdint>

namespace about {

inline constexpr int CreditsWidth = 195;
inline constexpr int CreditsRowHeight = 30;
inline constexpr int CreditsBlockHeight = 120;
inline const QString CreditsAuthorLine = QStringLiteral("The Quantelo developers");

// The roles in their fixed order.
QStringList CreditRoles();

// The picture: CreditsRowHeight rows per role, the role in bold with its ":" at (5, top) and the
// author line at (30, top + 15), black on cream, Arial 9 pt; in logical pixels, held at the
// given pixel ratio.
QImage BuildCreditsBitmap(const QStringList& roles, qreal devicePixelRatio = 1);

// The scroll position, one for the whole program: windows opened later go on from where the
// earlier ones stopped. 0 at program start.
extern std::int32_t ScrollOffset;

// One step: moves ScrollOffset on (from 0 or below back to the picture's height, else down by
// one) and copies the two blocks of the picture onto surface with their top-left at box's,
// clipped to clip. Rows, points and the result are logical pixels. Returns the bounds of what
// may have changed.
QRect ScrollStep(QImage& surface, const QImage& credits, const QPoint& box, const QRegion& clip);

}  // namespace about
