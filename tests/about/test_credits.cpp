// The credits: the picture, the row mapping of a step, the clipping to the box, and the one
// program-wide scroll position.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include "about/about_surface.h"
#include "about/credits.h"
#include "about/round_rect_region.h"
#include "about_test.h"
#include "toolkit/image.h"

namespace about {
namespace {

const QRect Box(232, 176, 193, 129);
const QColor Sentinel(0x12, 0x34, 0x56);

// A picture of height rows, each row one colour that names it.
QImage NumberedRows(int height) {
  QImage picture(CreditsWidth, height, QImage::Format_RGB32);
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < CreditsWidth; ++x) picture.setPixel(x, row, qRgb(row % 256, row / 256, 7));
  }
  return picture;
}

int RowOf(const QColor& colour) {
  return colour.red() + 256 * colour.green();
}

int DarkPixels(const QImage& image, const QRect& area) {
  int dark = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 100;
  }
  return dark;
}

TEST(CreditsBitmap, HoldsEveryRoleWithTheAuthorLineUnderIt) {
  const QStringList roles = CreditRoles();
  ASSERT_EQ(roles.size(), 143);
  EXPECT_EQ(roles.front(), "Requirement Engineering");
  EXPECT_EQ(roles[75], ".NETworking");
  EXPECT_EQ(roles.back(), "Newsletter");
  const QImage credits = BuildCreditsBitmap(roles);
  ASSERT_EQ(credits.size(), QSize(195, 4290));
  for (const int role : {0, 1, 75, 142}) {
    SCOPED_TRACE(role);
    const int top = 30 * role;
    EXPECT_GT(DarkPixels(credits, QRect(5, top, 190, 15)), 20);        // the role in bold
    EXPECT_GT(DarkPixels(credits, QRect(30, top + 15, 165, 15)), 20);  // the author line
    EXPECT_EQ(DarkPixels(credits, QRect(0, top, 5, 30)), 0);
    EXPECT_EQ(DarkPixels(credits, QRect(5, top + 15, 25, 15)), 0);
    EXPECT_EQ(credits.pixelColor(194, top + 29), QColor(0xFF, 0xFB, 0xF0));
  }
  // "Newsletter:" is one text wide, the author line the same under every role.
  EXPECT_EQ(credits.copy(0, 15, 195, 15), credits.copy(0, 4275, 195, 15));
  EXPECT_NE(credits.copy(0, 0, 195, 15), credits.copy(0, 4260, 195, 15));
}

TEST(ScrollClip, IsTheBoxWithCornersCutAndEdgesOutside) {
  const QRegion clip = RoundRectRegion(Box, 10, 10);
  const std::pair<QPoint, bool> cases[] = {
      {{232, 176}, false}, {{424, 304}, false}, {{240, 176}, true}, {{232, 240}, true},
      {{424, 240}, true},  {{425, 240}, false}, {{300, 304}, true}, {{300, 305}, false},
      {{231, 240}, false}, {{300, 175}, false},
  };
  for (const auto& [point, inside] : cases) {
    EXPECT_EQ(clip.contains(point), inside) << point.x() << "," << point.y();
  }
}

TEST(ScrollStep, RowKShowsPictureRowHMinusDPlusKModH) {
  const int height = 300;
  const QImage picture = NumberedRows(height);
  const QRegion clip = RoundRectRegion(Box, 10, 10);
  const int column = Box.left() + 100;
  struct Case {
    std::int32_t before;
    std::int32_t after;
  };
  const Case cases[] = {{0, height}, {-5, height}, {height, height - 1},
                        {200, 199},  {130, 129},   {129, 128},
                        {60, 59},    {2, 1},       {1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    QImage surface = toolkit::NewBitmap(SurfaceSize);
    surface.fill(Sentinel);
    ScrollOffset = c.before;
    const QRect changed = ScrollStep(surface, picture, Box.topLeft(), clip);
    ASSERT_EQ(ScrollOffset, c.after);
    const int d = ScrollOffset;
    for (int k = 0; k < 120; ++k) {
      ASSERT_EQ(RowOf(surface.pixelColor(column, Box.top() + k)), (height - d + k) % height)
          << "k " << k;
    }
    // The box's last 9 rows get only what the second copy brings.
    for (int k = 120; k < 129; ++k) {
      const QColor shown = surface.pixelColor(column, Box.top() + k);
      if (k >= d && k - d < 120) {
        EXPECT_EQ(RowOf(shown), k - d) << "k " << k;
      } else {
        EXPECT_EQ(shown, Sentinel) << "k " << k;
      }
    }
    // Nothing outside the box's rounded region changes.
    for (const QPoint outside :
         {QPoint(Box.left(), Box.top()), QPoint(Box.right() + 1, Box.top() + 50),
          QPoint(Box.right() + 2, Box.top() + 50), QPoint(column, Box.bottom() + 1),
          QPoint(column, 330)}) {
      EXPECT_EQ(surface.pixelColor(outside), Sentinel) << outside.x() << "," << outside.y();
    }
    EXPECT_TRUE(Box.contains(changed));
  }
}

using CreditsTest = AboutTest;

TEST_F(CreditsTest, FirstStepAfterStartShowsTheFirstRoleAtTheTop) {
  ScrollOffset = 0;
  toolkit::TAboutInfo info = SampleInfo();
  info.ShowCredits = true;
  TTMyAbout* window = Open(info);
  window->Timer1Timer();
  EXPECT_EQ(ScrollOffset, 4290);
  const QImage& surface = Surface(*window);
  // "Requirement Engineering:" in the box's first rows, as in the picture's first rows.
  const QRect firstLine(Box.left() + 5, Box.top(), 185, 15);
  EXPECT_GT(DarkPixels(surface, firstLine), 40);
  EXPECT_EQ(surface.copy(firstLine), window->CreditsBitmap.copy(5, 0, 185, 15));
}

TEST_F(CreditsTest, ScrollPositionCarriesOverToTheNextWindow) {
  ScrollOffset = 1000;
  toolkit::TAboutInfo info = SampleInfo();
  info.ShowCredits = true;
  TTMyAbout* first = Open(info);
  for (int step = 0; step < 3; ++step) first->Timer1Timer();
  EXPECT_EQ(ScrollOffset, 997);
  first->FormHide();
  Release(first);
  TTMyAbout* second = Open(info);
  second->Timer1Timer();
  EXPECT_EQ(ScrollOffset, 996);
  // The box's top row shows picture row H − d.
  EXPECT_EQ(Surface(*second).copy(Box.left() + 5, Box.top(), 185, 1),
            second->CreditsBitmap.copy(5, 4290 - 996, 185, 1));
}

TEST_F(CreditsTest, CreditsByTheRecordScrollAtOnceAndStayInsideTheBox) {
  struct Case {
    const char* how;
    bool showCredits;
    bool pressF3;
  };
  const Case cases[] = {{"ShowCredits", true, false}, {"F3", false, true}, {"both", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    toolkit::TAboutInfo info = SampleInfo();
    info.ShowCredits = c.showCredits;
    TTMyAbout* window = Open(info, true);
    EXPECT_EQ(window->Timer1->isActive(), c.showCredits);
    EXPECT_EQ(window->Memo1->isVisible(), !c.showCredits);
    if (c.pressF3) window->FormKeyDown(Qt::Key_F3, Qt::NoModifier);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_FALSE(window->Memo1->isVisible());
    EXPECT_EQ(window->Timer1->interval(), 55);
    const QImage before = Surface(*window).copy();
    // Offsets from 160 down to 5: without clipping the second copy would reach onto the card.
    ScrollOffset = 161;
    for (int step = 0; step < 156; ++step) window->Timer1Timer();
    const QImage& after = Surface(*window);
    const QRegion clip = RoundRectRegion(Box, 10, 10);
    for (int y = 0; y < after.height(); ++y) {
      for (int x = 0; x < after.width(); ++x) {
        if (!clip.contains(QPoint(x, y))) {
          ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
      }
    }
  }
}

TEST_F(CreditsTest, WarningBoxStaysUntilF3AndASecondF3ChangesNothing) {
  TTMyAbout* window = Open(SampleInfo(), true);
  EXPECT_FALSE(window->Timer1->isActive());
  EXPECT_TRUE(window->Memo1->isVisible());
  EXPECT_EQ(window->Memo1->toPlainText().count('\n'), 8);
  window->FormKeyDown(Qt::Key_F3, Qt::NoModifier);
  const int remaining = window->Timer1->remainingTime();
  window->FormKeyDown(Qt::Key_F3, Qt::NoModifier);
  EXPECT_TRUE(window->Timer1->isActive());
  EXPECT_LE(window->Timer1->remainingTime(), remaining);  // not started anew
  EXPECT_FALSE(window->Memo1->isVisible());
  EXPECT_FALSE(window->Label6->isVisible());
}

}  // namespace
}  // namespace about
