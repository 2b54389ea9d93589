// Filling from the record: picture, title, subtitle, texts, build text, partner link, and the
// translation that runs before filling.
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include "about/about_surface.h"
#include "about_test.h"
#include "toolkit/image.h"

namespace about {
namespace {

using FillTest = AboutTest;

TEST_F(FillTest, GraphicIsDrawnAtItsSizeTwentyPixelsFromTheRightEdge) {
  const QColor red(Qt::red);
  QPixmap graphic(32, 20);
  graphic.fill(red);
  toolkit::TAboutInfo info = SampleInfo();
  info.Graphic = &graphic;
  const QImage& surface = Surface(*Open(info));
  EXPECT_EQ(surface.pixelColor(382, 60), red);
  EXPECT_EQ(surface.pixelColor(413, 79), red);
  for (const QPoint outside :
       {QPoint(381, 60), QPoint(414, 60), QPoint(382, 59), QPoint(382, 80)}) {
    EXPECT_NE(surface.pixelColor(outside), red) << outside.x() << "," << outside.y();
  }
  // No picture: nothing drawn there.
  EXPECT_NE(Surface(*Open(SampleInfo())).pixelColor(382, 60), red);
}

TEST_F(FillTest, TextsBuildLabelAndPartnerLinkFollowTheRecord) {
  struct Case {
    QString title;
    QString buildText;
    bool partner;
    QString build;
  };
  const Case cases[] = {
      {"Quantelo", "", false, "Build: 1.0.0.0"},
      {"Q", "Beta 7", true, "Beta 7"},
      {"A title much wider than the about window is", "", false, "Build: 1.0.0.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title.toStdString());
    toolkit::TAboutInfo info = SampleInfo();
    info.Title = c.title;
    info.BuildText = c.buildText;
    info.ShowPartnerLink = c.partner;
    TTMyAbout* window = Open(info, true);
    EXPECT_EQ(window->windowTitle(), ' ' + c.title + ' ');
    EXPECT_EQ(window->Label2->text(), c.build);
    EXPECT_EQ(window->Label2->pos(), QPoint(window->TitleRect.left(), 172));
    EXPECT_EQ(window->Label5->isVisible(), c.partner);
    EXPECT_EQ(window->Label5->pos(), QPoint(24, 232));
    EXPECT_EQ(window->Label1->text(), info.Description);
    EXPECT_EQ(window->Copyright->text(), info.Copyright);
    EXPECT_EQ(window->Url, ProductPage);
  }
}

TEST_F(FillTest, TitleWiderThanTheWindowRunsPastItsEdges) {
  toolkit::TAboutInfo info = SampleInfo();
  info.Title = QStringLiteral("A title much wider than the about window is");
  TTMyAbout* window = Open(info);
  EXPECT_LT(window->TitleRect.left(), 0);
  EXPECT_GT(window->TitleRect.right(), 433);
}

TEST(Subtitle, TakesTheFirstWholeSizeFromTwentyFourPointsThatFits) {
  const QImage surface = toolkit::NewBitmap(SurfaceSize);
  const QString texts[] = {
      "",
      "Short",
      "A subtitle of middling length, some forty-odd characters",
      "A subtitle long enough that it has to shrink a good deal before it fits the window width",
  };
  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    const int points = SubtitlePointSize(surface, text, 434);
    const auto width = [&](int size) {
      return QFontMetrics(ArialPoints(size, false), &surface).horizontalAdvance(text);
    };
    EXPECT_LE(points, 24);
    EXPECT_LE(width(points), 434);
    if (points < 24) {
      EXPECT_GT(width(points + 1), 434);
    }
  }
  EXPECT_EQ(SubtitlePointSize(surface, "", 434), 24);
  EXPECT_EQ(SubtitlePointSize(surface, QString(2000, 'W'), 434), 1);
}

TEST_F(FillTest, SubtitleIsBlackWithoutBackground) {
  toolkit::TAboutInfo info = SampleInfo();
  info.SubTitle = QStringLiteral("Image Quality Toolbox");
  const QImage& with = Surface(*Open(info));
  const QImage& without = Surface(*Open(SampleInfo()));
  int black = 0;
  int changed = 0;
  const QRect band(0, SubtitleTop, 434, 30);
  for (int y = band.top(); y <= band.bottom(); ++y) {
    for (int x = band.left(); x <= band.right(); ++x) {
      black += with.pixelColor(x, y) == Qt::black;
      changed += with.pixel(x, y) != without.pixel(x, y);
    }
  }
  EXPECT_GT(black, 50);
  // Only the letters: most of the text's cell keeps the card.
  EXPECT_LT(changed, 434 * 30 / 4);
}

TEST_F(FillTest, TranslationBlanksTheCloseGlyphHint) {
  for (const bool translate : {false, true}) {
    SCOPED_TRACE(translate);
    toolkit::TAboutInfo info = SampleInfo();
    info.Translate = translate;
    QString hint = QStringLiteral("unset");
    QString caption;
    EXPECT_TRUE(ShowAboutAnd(info, [&](TTMyAbout& window) {
      hint = window.Image3->toolTip();
      caption = window.windowTitle();
      QTest::keyClick(&window, Qt::Key_Escape);
    }));
    EXPECT_EQ(hint, translate ? "" : "Close Window");
    EXPECT_EQ(caption, " Quantelo ");  // filling comes after translating
  }
}

}  // namespace
}  // namespace about
