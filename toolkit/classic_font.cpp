#include "classic_font.h"

#include <QFontDatabase>

namespace toolkit {

QFont ClassicSansSerif(int pixelSize) {
  static const QString family = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))
                                    ? QStringLiteral("MS Sans Serif")
                                    : QStringLiteral("Arial");
  QFont font(family);
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace toolkit
