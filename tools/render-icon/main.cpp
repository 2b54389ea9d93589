// render-icon SVG SIZE PNG: renders the SVG picture into a square PNG of SIZE pixels, for the
// fixed-size icons a desktop takes beside the scalable one.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

// Paints into an image alone, so it needs no application object and no display.
int main(int argc, char** argv) {
  bool sizeIsNumber = false;
  const int size = argc == 4 ? QString::fromLocal8Bit(argv[2]).toInt(&sizeIsNumber) : 0;
  if (!sizeIsNumber || size < 1) {
    std::fputs("Usage: render-icon SVG SIZE PNG\n", stderr);
    return 2;
  }
  QSvgRenderer picture(QString::fromLocal8Bit(argv[1]));
  if (!picture.isValid()) {
    std::fprintf(stderr, "render-icon: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  picture.render(&painter);
  painter.end();
  if (!icon.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "render-icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
