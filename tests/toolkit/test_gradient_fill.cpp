// The gradient routine: the module's where it can be loaded, the white fallback otherwise.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

#include "tests/toolkit/qt_print.h"
#include "toolkit/gradient_fill.h"

namespace toolkit {
namespace {

const QColor Peach(0xFF, 0xDA, 0xB9);
const QColor Cream(0xFF, 0xFB, 0xF0);
const QColor Black(Qt::black);
// The rectangle from (10, 5) to (30, 25), lower-right corner excluded, in a 40x30 image.
const TRIVERTEX Corners[] = {{10, 5, 0xFF00, 0xDA00, 0xB900, 0},
                             {30, 25, 0xFF00, 0xFB00, 0xF000, 0}};
const GRADIENT_RECT Mesh{0, 1};

QString besideExecutable(const char* module) {
  return QCoreApplication::applicationDirPath() + '/' + module;
}

QImage paint(std::uint32_t mode, bool* painted = nullptr) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Black);
  QPainter painter(&image);
  const bool done = GradientFillProc(&painter, Corners, 2, &Mesh, 1, mode);
  if (painted != nullptr) *painted = done;
  return image;
}

bool near(const QColor& actual, const QColor& expected) {
  return std::abs(actual.red() - expected.red()) <= 2 &&
         std::abs(actual.green() - expected.green()) <= 2 &&
         std::abs(actual.blue() - expected.blue()) <= 2;
}

class GradientFillTest : public testing::Test {
 protected:
  void TearDown() override { ReleaseGradientModule(); }
};

TEST_F(GradientFillTest, ModulePaintsFromTheFirstColourToTheSecond) {
  ChooseGradientFill(besideExecutable("msimg32"));
  ASSERT_NE(GradientFillProc, GradientFillFallback) << "libmsimg32 not found beside the tests";
  struct Case {
    std::uint32_t mode;
    QPoint first;  // a pixel on the first row or column
    QPoint last;   // a pixel on the last row or column
  };
  const Case cases[] = {
      {GRADIENT_FILL_RECT_V, {20, 5}, {20, 24}},
      {GRADIENT_FILL_RECT_H, {10, 15}, {29, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    bool painted = false;
    const QImage image = paint(c.mode, &painted);
    EXPECT_TRUE(painted);
    EXPECT_PRED2(near, image.pixelColor(c.first), Peach);
    EXPECT_PRED2(near, image.pixelColor(c.last), Cream);
    for (const QPoint outside : {QPoint(9, 5), QPoint(10, 4), QPoint(30, 24), QPoint(29, 25)}) {
      EXPECT_EQ(image.pixelColor(outside), Black) << outside.x() << "," << outside.y();
    }
  }
}

TEST_F(GradientFillTest, FallbackPaintsTheRectangleWhite) {
  const char* modules[] = {"no-such-module", "no_gradient_module"};
  for (const char* module : modules) {
    SCOPED_TRACE(module);
    ChooseGradientFill(besideExecutable(module));
    ASSERT_EQ(GradientFillProc, GradientFillFallback);
    const QImage image = paint(GRADIENT_FILL_RECT_V);
    for (const QPoint inside : {QPoint(10, 5), QPoint(29, 24)}) {
      EXPECT_EQ(image.pixelColor(inside), QColor(Qt::white));
    }
    for (const QPoint outside : {QPoint(9, 5), QPoint(30, 24), QPoint(29, 25)}) {
      EXPECT_EQ(image.pixelColor(outside), Black);
    }
  }
}

TEST_F(GradientFillTest, ReleasingTheModuleReturnsToTheFallback) {
  ChooseGradientFill(besideExecutable("msimg32"));
  ASSERT_NE(GradientFillProc, GradientFillFallback);
  ReleaseGradientModule();
  EXPECT_EQ(GradientFillProc, GradientFillFallback);
}

TEST_F(GradientFillTest, NothingToPaintOnGivesFalse) {
  ChooseGradientFill(besideExecutable("msimg32"));
  QPainter inactive;
  for (const TGradientFillProc routine : {GradientFillFallback, GradientFillProc}) {
    EXPECT_FALSE(routine(nullptr, Corners, 2, &Mesh, 1, GRADIENT_FILL_RECT_V));
    EXPECT_FALSE(routine(&inactive, Corners, 2, &Mesh, 1, GRADIENT_FILL_RECT_V));
  }
}

}  // namespace
}  // namespace toolkit
