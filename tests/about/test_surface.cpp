// The painted card: colours and shapes of the surface, of the window as shown, and its cut-out.
#include <QBitmap>
#include <QCoreApplication>
#include <QTest>

#include "about/about_surface.h"
#include "about_test.h"
#include "toolkit/gradient_fill.h"
#include "toolkit/image.h"
#include "toolkit/toolkit_startup.h"

namespace about {
namespace {

const QColor Peach(0xFF, 0xDD, 0xBB);
const QColor Cream(0xFF, 0xFB, 0xF0);
const QColor Black(Qt::black);
const QColor White(Qt::white);
// The card's corner pixels and points just inside its rounded corners; the badge reaches over
// the bottom-right corner.
const QPoint Corners[] = {{0, 0}, {433, 0}, {0, 330}, {3, 3}, {430, 3}, {3, 327}};
const QPoint UnderTheBadge(433, 330);

int CountColour(const QImage& image, const QRect& area, const QColor& colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) == colour;
  }
  return count;
}

// The text cell of the title: TitleRect's columns, the rows between the 3 px bands.
QRect TitleCell(const QRect& titleRect) {
  return titleRect.adjusted(0, 3, 0, -3);
}

using SurfaceTest = AboutTest;

TEST_F(SurfaceTest, CardIsAPeachToCreamGradientOnNavy) {
  TTMyAbout* window = Open(SampleInfo());
  const QImage& surface = Surface(*window);
  ASSERT_EQ(surface.size(), QSize(434, 331));
  for (const QPoint corner : Corners) {
    EXPECT_EQ(surface.pixelColor(corner), Navy) << corner.x() << "," << corner.y();
  }
  struct Probe {
    QPoint at;
    QColor colour;
  };
  const Probe probes[] = {
      {{217, 0}, Peach},   {{16, 2}, Peach},     // the top edge, also left of the logo
      {{217, 329}, Cream}, {{20, 329}, Cream},   // the bottom row of the gradient
      {{217, 330}, Black}, {{433, 165}, Black},  // the shadow shape's outline below and right
  };
  for (const Probe& probe : probes) {
    EXPECT_PRED3(Near, surface.pixelColor(probe.at), probe.colour, 2)
        << probe.at.x() << "," << probe.at.y();
  }
  // Halfway down the gradient is halfway between its colours.
  EXPECT_PRED3(Near, surface.pixelColor(300, 165), QColor(0xFF, 0xEC, 0xD5), 3);
}

TEST_F(SurfaceTest, TitleIsYellowOnABlackCellInASilverBox) {
  TTMyAbout* window = Open(SampleInfo());
  const QImage& surface = Surface(*window);
  const QRect title = window->TitleRect;
  const QRect cell = TitleCell(title);
  EXPECT_EQ(title.top(), 82);
  EXPECT_EQ(cell.top(), 85);
  EXPECT_EQ(title.left(), (434 - title.width()) / 2);
  EXPECT_EQ(CountColour(surface, cell, Black) + CountColour(surface, cell, Yellow) >
                cell.width() * cell.height() / 2,
            true);
  EXPECT_GT(CountColour(surface, cell, Yellow), 100);
  const int middle = cell.center().y();
  struct Probe {
    QPoint at;
    QColor colour;
  };
  const Probe rim[] = {
      {{title.left() - 3, middle}, Black},
      {{title.left() - 2, middle}, Silver},
      {{title.left() - 1, middle}, Silver},
      {{title.right() + 1, middle}, Silver},
      {{title.right() + 2, middle}, Silver},
      {{title.right() + 3, middle}, Black},
      {{cell.center().x(), 82}, Black},
      {{cell.center().x(), 83}, Silver},
      {{cell.center().x(), 84}, Silver},
      {{cell.center().x(), title.bottom() - 2}, Silver},
      {{cell.center().x(), title.bottom() - 1}, Silver},
      {{cell.center().x(), title.bottom()}, Black},
  };
  for (const Probe& probe : rim) {
    EXPECT_EQ(surface.pixelColor(probe.at), probe.colour) << probe.at.x() << "," << probe.at.y();
  }
}

TEST_F(SurfaceTest, TitleTurnsAquaUnderThePointerOnlyWithAnAddress) {
  struct Case {
    QString url;
    bool inside;
    QColor letters;
    Qt::CursorShape pointer;
  };
  const Case cases[] = {
      {ProductPage, true, Aqua, Qt::PointingHandCursor},
      {ProductPage, false, Yellow, Qt::ArrowCursor},
      {QString(), true, Yellow, Qt::ArrowCursor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url.toStdString() + (c.inside ? " inside" : " outside"));
    toolkit::TAboutInfo info = SampleInfo();
    info.Url = c.url;
    TTMyAbout* window = Open(info, true);
    const QRect cell = TitleCell(window->TitleRect);
    // In first, so that the outside case shows the title going back to yellow.
    MoveMouse(window->Image1, cell.center());
    MoveMouse(window->Image1, c.inside ? cell.center() : QPoint(20, 300));
    const QImage& surface = Surface(*window);
    const QColor other = c.letters == Aqua ? Yellow : Aqua;
    EXPECT_GT(CountColour(surface, cell, c.letters), 100);
    EXPECT_EQ(CountColour(surface, cell, other), 0);
    EXPECT_EQ(window->Image1->cursor().shape(), c.pointer);
    // What the window shows follows the surface at once.
    EXPECT_GT(CountColour(window->grab().toImage(), cell, c.letters), 100);
  }
}

TEST_F(SurfaceTest, CardIsWhiteWithoutTheGradientModule) {
  toolkit::ReleaseGradientModule();
  TTMyAbout* window = Open(SampleInfo());
  toolkit::ToolkitStartup();
  const QImage& surface = Surface(*window);
  for (const QPoint inside : {QPoint(217, 0), QPoint(217, 329), QPoint(300, 165), QPoint(2, 165)}) {
    EXPECT_EQ(surface.pixelColor(inside), White) << inside.x() << "," << inside.y();
  }
  for (const QPoint corner : Corners) EXPECT_EQ(surface.pixelColor(corner), Navy);
}

TEST_F(SurfaceTest, NavyIsCutOutOfTheWindow) {
  TTMyAbout* window = Open(SampleInfo(), true);
  const QRegion shape = window->mask();
  for (const QPoint corner : Corners) {
    EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
  }
  for (const QPoint card : {QPoint(217, 0), QPoint(0, 165), QPoint(433, 165), QPoint(217, 330),
                            QPoint(217, 165), QPoint(20, 20), UnderTheBadge}) {
    EXPECT_TRUE(shape.contains(card)) << card.x() << "," << card.y();
  }
  // Exactly the navy pixels of the window as it looks are cut out.
  window->clearMask();
  const QImage look = window->grab().toImage();
  for (int y = 0; y < look.height(); ++y) {
    for (int x = 0; x < look.width(); ++x) {
      ASSERT_EQ(shape.contains(QPoint(x, y)), look.pixelColor(x, y) != Navy) << x << "," << y;
    }
  }
}

TEST_F(SurfaceTest, ShownWindowDrawsTheSurfaceWithItsPictures) {
  TTMyAbout* window = Open(SampleInfo(), true);
  const QImage shown = window->grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), Navy);  // keyed navy shows the navy background
  EXPECT_PRED3(Near, shown.pixelColor(217, 0), Peach, 2);
  // The logo and the badge are drawn, the close glyph's black is keyed.
  EXPECT_GT(shown.size().width(), 0);
  int logo = 0;
  for (int x = 16; x < 153; ++x)
    logo += !Near(shown.pixelColor(x, 40), Surface(*window).pixelColor(x, 40), 8);
  EXPECT_GT(logo, 20);
  EXPECT_NE(shown.pixelColor(412, 20), Surface(*window).pixelColor(412, 20));  // the cross
  EXPECT_EQ(shown.pixelColor(400, 31), Surface(*window).pixelColor(400, 31));  // keyed black
  EXPECT_EQ(window->Image3->toolTip(), "Close Window");
}

TEST_F(SurfaceTest, ClosingShowsCreamWhereNavyWasKeyed) {
  TTMyAbout* window = Open(SampleInfo(), true);
  window->FormHide();
  EXPECT_TRUE(window->mask().isEmpty());
  const QImage shown = window->grab().toImage();
  for (const QPoint corner : Corners) EXPECT_EQ(shown.pixelColor(corner), Cream);
  EXPECT_TRUE(window->AlphaBlend);
  EXPECT_EQ(window->AlphaBlendValue, 255);
}

}  // namespace
}  // namespace about
