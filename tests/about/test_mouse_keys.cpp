// Presses, links and keys: the title's hot spot to the pixel, every button alike, controls that
// take their presses, F3 and Esc wherever the focus is.
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "about_test.h"
#include "toolkit/image.h"

namespace about {
namespace {

const QColor Purple(0x80, 0x00, 0x80);

// Whether the window started closing.
bool Closing(const TTMyAbout& window) {
  return window.ModalResult() == ModalResultOk && window.Timer3->isActive();
}

using MouseTest = AboutTest;

TEST_F(MouseTest, TitleHotSpotOpensTheAddressAndEverythingElseCloses) {
  struct Case {
    const char* where;
    std::function<QPoint(const QRect&)> at;  // from TitleRect, right and bottom inclusive
    bool opens;
  };
  const Case cases[] = {
      {"top-left corner", [](const QRect& r) { return r.topLeft(); }, true},
      {"band above the text", [](const QRect& r) { return QPoint(r.center().x(), r.top() + 2); },
       true},
      {"last row of the band below",
       [](const QRect& r) { return QPoint(r.center().x(), r.bottom()); }, true},
      {"last column of the text", [](const QRect& r) { return QPoint(r.right(), r.center().y()); },
       true},
      {"row above the box", [](const QRect& r) { return QPoint(r.center().x(), r.top() - 1); },
       false},
      {"row below the box", [](const QRect& r) { return QPoint(r.center().x(), r.bottom() + 1); },
       false},
      {"silver rim on the left",
       [](const QRect& r) { return QPoint(r.left() - 1, r.center().y()); }, false},
      {"silver rim on the right",
       [](const QRect& r) { return QPoint(r.right() + 2, r.center().y()); }, false},
      {"column just right of the text",
       [](const QRect& r) { return QPoint(r.right() + 1, r.center().y()); }, false},
      {"free card", [](const QRect&) { return QPoint(300, 60); }, false},
      {"navy corner", [](const QRect&) { return QPoint(1, 1); }, false},
  };
  for (const Case& c : cases) {
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
      SCOPED_TRACE(testing::Message() << c.where << ", button " << button);
      urls_.opened.clear();
      TTMyAbout* window = Open(SampleInfo(), true);
      QTest::mousePress(window->Image1, button, Qt::NoModifier, c.at(window->TitleRect));
      if (c.opens) {
        EXPECT_EQ(urls_.opened, QList<QUrl>{QUrl(ProductPage)});
        EXPECT_EQ(window->ModalResult(), 0);
        EXPECT_FALSE(window->Timer3->isActive());
      } else {
        EXPECT_TRUE(urls_.opened.isEmpty());
        EXPECT_TRUE(Closing(*window));
      }
    }
  }
}

TEST_F(MouseTest, WithoutAnAddressTheTitleCloses) {
  toolkit::TAboutInfo info = SampleInfo();
  info.Url.clear();
  TTMyAbout* window = Open(info, true);
  QTest::mousePress(window->Image1, Qt::LeftButton, Qt::NoModifier, window->TitleRect.center());
  EXPECT_TRUE(urls_.opened.isEmpty());
  EXPECT_TRUE(Closing(*window));
}

TEST_F(MouseTest, PressesOnPicturesAndLabelsWithoutHandlerDoNothing) {
  TTMyAbout* window = Open(SampleInfo(), true);
  for (QWidget* control : std::initializer_list<QWidget*>{window->Image2, window->Label1,
                                                          window->Label2, window->Copyright}) {
    SCOPED_TRACE(control->objectName().toStdString() + " at " + std::to_string(control->x()) + "," +
                 std::to_string(control->y()));
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
      QTest::mouseClick(control, button, Qt::NoModifier, QPoint(2, 2));
    }
    EXPECT_EQ(window->ModalResult(), 0);
    EXPECT_FALSE(window->Timer3->isActive());
  }
  EXPECT_TRUE(urls_.opened.isEmpty());
}

TEST_F(MouseTest, PressOnTheWarningBoxCloses) {
  TTMyAbout* window = Open(SampleInfo(), true);
  QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, window->Memo1->geometry().center());
  EXPECT_TRUE(Closing(*window));
}

TEST_F(MouseTest, LinksOpenTheirCaptionAndTurnPurple) {
  struct Case {
    QLabel* TTMyAbout::*label;
    const char* caption;
    const char* opened;
  };
  const Case cases[] = {
      {&TTMyAbout::Label3, "https://www.example.com", "https://www.example.com"},
      {&TTMyAbout::Label4, "mailto: info@example.com", "mailto:info@example.com"},
      {&TTMyAbout::Label5, "https://partner.example.org", "https://partner.example.org"},
  };
  toolkit::TAboutInfo info = SampleInfo();
  info.ShowPartnerLink = true;
  TTMyAbout* window = Open(info, true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    QLabel* label = window->*c.label;
    urls_.opened.clear();
    EXPECT_EQ(label->text(), c.caption);
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(urls_.opened, QList<QUrl>{QUrl(c.opened)});
    EXPECT_EQ(label->palette().color(label->foregroundRole()), Purple);
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_EQ(window->ModalResult(), 0);
}

TEST_F(MouseTest, BadgeOpensTheSecondPageAndCloseGlyphCloses) {
  TTMyAbout* window = Open(SampleInfo(), true);
  QTest::mouseClick(window->Image5, Qt::LeftButton, Qt::NoModifier, QPoint(20, 14));
  EXPECT_EQ(urls_.opened, QList<QUrl>{QUrl("https://www.example.com/software/quality.php")});
  EXPECT_EQ(window->ModalResult(), 0);
  QTest::mouseClick(window->Image3, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
  EXPECT_TRUE(Closing(*window));
}

using KeyTest = AboutTest;

TEST_F(KeyTest, F3StartsTheCreditsAndEscClosesWhereverTheKeyArrives) {
  struct Case {
    const char* receiver;
    std::function<QWidget*(TTMyAbout&)> widget;
  };
  const Case cases[] = {
      {"window", [](TTMyAbout& w) -> QWidget* { return &w; }},
      {"description label", [](TTMyAbout& w) -> QWidget* { return w.Label1; }},
      {"list box", [](TTMyAbout& w) -> QWidget* { return w.ListBox1; }},
      {"warning box", [](TTMyAbout& w) -> QWidget* { return w.Memo1->viewport(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.receiver);
    TTMyAbout* window = Open(SampleInfo(), true);
    ASSERT_FALSE(window->Timer1->isActive());
    QTest::keyClick(c.widget(*window), Qt::Key_A);
    QTest::keyClick(c.widget(*window), Qt::Key_F4);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->ModalResult(), 0);
    QTest::keyClick(c.widget(*window), Qt::Key_F3);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(window->Memo1->isHidden());
    EXPECT_TRUE(window->Label6->isHidden());
    EXPECT_EQ(window->ModalResult(), 0);
    QTest::keyClick(c.widget(*window), Qt::Key_Escape);
    EXPECT_TRUE(Closing(*window));
  }
}

}  // namespace
}  // namespace about
