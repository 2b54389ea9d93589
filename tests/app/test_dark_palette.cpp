// Under a dark desktop theme the main window's texts stay readable where it fixes a background.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTest>

#include "about/tmyabout.h"
#include "tform1.h"
#include "tform2.h"
#include "toolkit/labeled_edit.h"
#include "toolkit/widget_colour.h"
#include "window_test.h"

namespace {

QPalette DarkPalette() {
  QPalette dark;
  for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(0x2B, 0x2B, 0x2B)},
                                     {QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE)},
                                     {QPalette::Base, QColor(0x1E, 0x1E, 0x1E)},
                                     {QPalette::Text, QColor(0xEE, 0xEE, 0xEE)},
                                     {QPalette::Button, QColor(0x35, 0x35, 0x35)},
                                     {QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE)}}) {
    dark.setColor(role, colour);
  }
  return dark;
}

// The highest contrast between the picture's background (a pixel near its right edge, past any
// text) and any pixel of its left half, where the text is drawn.
double TextContrast(const QImage& image) {
  const QColor background = image.pixelColor(image.width() - 4, image.height() / 2);
  double best = 1;
  for (int y = 2; y < image.height() - 2; ++y) {
    for (int x = 2; x < image.width() / 2; ++x) {
      best = std::max(best, toolkit::ContrastRatio(background, image.pixelColor(x, y)));
    }
  }
  return best;
}

double TextContrast(QWidget* widget) {
  return TextContrast(widget->grab().toImage());
}

class DarkPaletteTest : public testing::Test {
 protected:
  DarkPaletteTest() { QApplication::setPalette(DarkPalette()); }
  ~DarkPaletteTest() override { QApplication::setPalette(saved_); }

  QPalette saved_ = QApplication::palette();
};

TEST_F(DarkPaletteTest, FieldTextAndCaptionsReadOnTheirBackgrounds) {
  TForm2 help;
  TForm1 main(ProcessFpu(), help);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  QTest::keyClicks(main.LabeledEdit1, "1000");  // light green
  QTest::keyClicks(main.LabeledEdit2, "10x");   // light red
  QTest::keyClicks(main.LabeledEdit4, "20");
  main.LabeledEdit3->setText(QStringLiteral("1500"));
  main.LabeledEdit3->setColor(Qt::white);  // as before its first change
  for (toolkit::TLabeledEdit* field : {main.LabeledEdit1, main.LabeledEdit2, main.LabeledEdit3,
                                       main.LabeledEdit4, main.LabeledEdit5}) {
    SCOPED_TRACE(field->EditLabel()->text().toStdString());
    EXPECT_GE(TextContrast(field), 4.5);
    EXPECT_GE(TextContrast(field->EditLabel()), 4.5);
  }
}

// The about card keeps its fixed light colours, and so its texts stay dark on it.
TEST_F(DarkPaletteTest, AboutCardTextsReadOnTheCard) {
  about::TTMyAbout about;
  toolkit::TAboutInfo info;
  info.Title = QStringLiteral("Quantelo");
  info.Description = QStringLiteral("SDNR nach DIN 6868-14");
  info.Copyright = QStringLiteral("(c) Quantelo");
  about.FillAbout(info);
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  const QImage card = about.grab().toImage();
  const QWidget* texts[] = {about.Label1, about.Label2, about.Copyright, about.Memo1};
  for (const QWidget* text : texts) {
    SCOPED_TRACE(text->objectName().toStdString() + " " + text->metaObject()->className());
    const QRect bounds = text->geometry().adjusted(0, 0, 8, 0);
    EXPECT_GE(TextContrast(card.copy(bounds)), 4.5);
  }
}

}  // namespace
