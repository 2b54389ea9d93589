#include "credits.h"

#include <QFile>
#include <QPainter>

#include "about/about_surface.h"
#include "toolkit/colours.h"
#include "toolkit/image.h"

namespace about {

std::int32_t ScrollOffset = 0;

QStringList CreditRoles() {
  QFile list(QStringLiteral(":/about/credits.txt"));
  if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  return QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts);
}

QImage BuildCreditsBitmap(const QStringList& roles, qreal devicePixelRatio) {
  QImage credits = toolkit::NewBitmap(
      QSize(CreditsWidth, static_cast<int>(roles.size()) * CreditsRowHeight), devicePixelRatio);
  credits.fill(toolkit::Cream);
  QPainter painter(&credits);
  QFont font = ArialPoints(9, false);
  for (int i = 0; i < roles.size(); ++i) {
    const int top = CreditsRowHeight * i;
    font.setBold(true);
    painter.setFont(font);
    TextOut(painter, QPoint(5, top), roles[i] + ':', toolkit::Cream);
    font.setBold(false);
    painter.setFont(font);
    TextOut(painter, QPoint(30, top + 15), CreditsAuthorLine, toolkit::Cream);
  }
  return credits;
}

QRect ScrollStep(QImage& surface, const QImage& credits, const QPoint& box, const QRegion& clip) {
  const int height = LogicalSize(credits).height();
  ScrollOffset = ScrollOffset <= 0 ? height : ScrollOffset - 1;
  QPainter painter(&surface);
  painter.setClipRegion(clip);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  // The block from the picture's logical row top; the source is in its device pixels. A block
  // reaching below the picture's last row is cut there; the second copy covers those rows.
  const qreal ratio = credits.devicePixelRatio();
  const auto copyBlock = [&](const QPoint& at, int top) {
    painter.drawImage(QPointF(at), credits,
                      QRectF(0, top * ratio, CreditsWidth * ratio, CreditsBlockHeight * ratio));
  };
  copyBlock(box, height - ScrollOffset);
  copyBlock(box + QPoint(0, ScrollOffset), 0);
  const QRect blocks(box, QSize(CreditsWidth, ScrollOffset + CreditsBlockHeight));
  return blocks & clip.boundingRect();
}

}  // namespace about
