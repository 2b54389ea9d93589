#include "typeset.h"

#include <QFontDatabase>

namespace protocol {
namespace {

QFont font(double points, QFont::Weight weight = QFont::Normal, bool italic = false) {
  static const QString family =
      QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))
          ? QStringLiteral("Liberation Sans")
          : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  QFont result(family);
  result.setPointSizeF(points);
  result.setWeight(weight);
  result.setItalic(italic);
  // Hinting would fit the glyphs to a screen's pixels, which a page does not have.
  result.setHintingPreference(QFont::PreferNoHinting);
  return result;
}

}  // namespace

Typeset MakeTypeset(QPaintDevice* device, double contentWidthMm) {
  const double mm = device->logicalDpiX() / 25.4;
  return {device,
          mm,
          contentWidthMm * mm,
          font(14, QFont::Bold),
          font(11, QFont::Bold),
          font(9),
          font(9, QFont::Bold),
          font(7.5),
          font(7.5, QFont::Bold),
          font(7.5, QFont::Normal, true),
          font(7)};
}

}  // namespace protocol
